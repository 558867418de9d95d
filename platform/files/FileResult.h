#pragma once
// The answer of every writer in platform/files: success, or a message fit for the system log.

#include <QString>

namespace tallomer {

struct FileResult {
    bool ok = false;
    QString error; // empty when ok

    static FileResult success() { return {true, {}}; }
    static FileResult failure(QString message) { return {false, std::move(message)}; }
    explicit operator bool() const { return ok; }
};

} // namespace tallomer
