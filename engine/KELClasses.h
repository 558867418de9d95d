#pragma once
// Rows name the class of their link in CLASS; links are made from rows through this registry.
// The engine registers its own classes; other subsystems add theirs at start-up.

#include "engine/KELLien.h"

#include <functional>
#include <memory>
#include <string>

class KELClasses {
public:
    using Fabrique = std::function<std::unique_ptr<KELI>()>;
    static void ajouter(const std::string& nom, Fabrique fabrique);
    // nullptr when no class of that name is known.
    static std::unique_ptr<KELI> creer(const std::string& nom);
    static bool connue(const std::string& nom);
};
