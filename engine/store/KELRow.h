#pragma once
// One row of table ZEVLETS as the store holds it, before it becomes a link object.

#include "engine/KELTypes.h"

#include <string>

struct KELRow {
    KELId id = 0;
    KELId base = 0;
    std::string className;
    KELDate inDate = 0.0;
    KELDate outDate = 0.0;
    KELId child = 0;
    KELId parent = 0;
    KELId relation = 0;

    bool operator==(const KELRow&) const = default;
};
