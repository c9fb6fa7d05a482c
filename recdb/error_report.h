#pragma once
// What the record database needs of the runtime: the error report that ends the program,
// raised by ReadField for a database or field that does not exist.

#include "runtime/runtime.h"
#include "runtime/text.h"

namespace recdb {

class ErrorReport {
public:
    virtual ~ErrorReport() = default;
    [[noreturn]] virtual void raise(const runtime::Text& message) = 0;
};

// The running program's report: a message box, then the end of the program.
class RuntimeErrorReport final : public ErrorReport {
public:
    explicit RuntimeErrorReport(runtime::Runtime& runtime)
        : runtime_(runtime)
    {
    }
    [[noreturn]] void raise(const runtime::Text& message) override
    {
        runtime_.raiseError(std::nullopt, message);
    }

private:
    runtime::Runtime& runtime_;
};

} // namespace recdb
