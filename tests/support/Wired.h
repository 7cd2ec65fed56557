// A table window wired to the rules over one record, as main() wires them, and unwired before
// either goes: for the window's tests, the end-to-end test and the probes (header only: the
// benchmarks build without the tests).
#pragma once

#include "engine/GameRules.h"
#include "table/frmKorvane.h"

#include <memory>
#include <utility>

namespace korvane::test {

template <class Window = frmKorvane> struct Wired {
    template <class... Args>
    explicit Wired(mdlGlobal& g, CardLibrary& cards, Args&&... args)
        : w(std::make_unique<Window>(g, cards, std::forward<Args>(args)...)),
          rules(std::make_unique<GameRules>(g, *w)) {
        w->SetRules(rules.get());
    }
    ~Wired() { w->SetRules(nullptr); }
    Wired(const Wired&) = delete;
    Wired& operator=(const Wired&) = delete;

    std::unique_ptr<Window> w;
    std::unique_ptr<GameRules> rules;
};

} // namespace korvane::test
