#pragma once

#include <exception>
#include <utility>

namespace vb {

// Runs one step whose failure is to be ignored: an error it raises is swallowed and the caller
// goes on with its next step. Returns whether the step succeeded.
template <class Step>
bool ResumeNext(Step &&step) noexcept
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace vb
