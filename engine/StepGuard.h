#pragma once
// The one error rule of the long-running procedures (the analysis of an item,
// a folder's walk, the export, the folder pick): an error in one step shows
// "BRISK Vezoriv Rizovave: Error in <procedure>: lEmailsProcessed = <n>" with
// the program's title, and the procedure goes on with the next step; a test
// that fails goes on with the first step inside it. Nothing is rolled back.
// A procedure may go silent part-way: from then on failing steps are skipped
// without a message (the export does so from its first median on).

#include "engine/Services.h"

#include <cstdint>
#include <exception>
#include <string>

namespace brisk {

class StepGuard {
public:
    StepGuard(Prompts& prompts, const char* procedure, const std::int32_t& lEmailsProcessed)
        : m_prompts(prompts), m_procedure(procedure), m_processed(lEmailsProcessed)
    {
    }

    // Runs one step; false when it failed (and was reported unless silent).
    template <typename Step>
    bool operator()(Step&& step) const
    {
        try {
            step();
            return true;
        } catch (const std::exception&) {
            report();
            return false;
        }
    }

    // A test that fails with an error counts as passed.
    template <typename Test>
    bool test(Test&& condition) const
    {
        try {
            return condition();
        } catch (const std::exception&) {
            report();
            return true;
        }
    }

    // Inside a handler the exception being handled gives the cause. The count
    // is read when the error happens, not when the guard was made.
    void report() const
    {
        if (!m_silent)
            m_prompts.failure(errorText(m_procedure, m_processed), currentCause());
    }

    void goSilent() { m_silent = true; }
    bool silent() const { return m_silent; }

    static std::string currentCause()
    {
        if (const std::exception_ptr current = std::current_exception()) {
            try {
                std::rethrow_exception(current);
            } catch (const std::exception& e) {
                return e.what();
            } catch (...) {
            }
        }
        return {};
    }

private:
    Prompts& m_prompts;
    const char* m_procedure;
    const std::int32_t& m_processed;
    bool m_silent = false;
};

} // namespace brisk
