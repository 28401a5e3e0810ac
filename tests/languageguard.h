#pragma once
// The language of the run for one test or one block of it: set on construction, the previous
// language back on destruction, so a failing assertion cannot leave the next test in French.

#include "view/texts.h"

struct Language {
    explicit Language(int code) : saved(trevok::CurrentLanguage()) { trevok::SetCurrentLanguage(code); }
    ~Language() { trevok::SetCurrentLanguage(saved); }
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;
    int saved;
};
