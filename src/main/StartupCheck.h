#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <memory>

namespace dao {
class Database;
}

// A check of the database for damage that runs beside the window instead of before it. The
// window's load waits only for the open, which says whether the file is there, ours and
// readable, and for what the tree's first load reads; the check reads the whole file, and its
// verdict comes later. Every change waits for that verdict.
class StartupCheck
{
public:
    // failure: null when the file is sound, and checked is then the checked database, open.
    using Verdict =
        std::function<void(std::exception_ptr failure, std::unique_ptr<dao::Database> checked)>;

    virtual ~StartupCheck() = default;

    // Waits until the database at dataPath is open and the reads of the tree's first load are
    // offered to the store (RecipeBas::OfferOpenDatabase); raises what the open raised, which is
    // then the verdict. False when this check is not of dataPath: the caller checks for itself.
    virtual bool open(const QString &dataPath) = 0;

    // Calls verdict once, from whichever thread the check ends on, or at once when it has ended.
    virtual void whenChecked(Verdict verdict) = 0;
};
