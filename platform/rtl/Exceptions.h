#pragma once
// The exception classes of the system. Every one carries a message; EAbort is silent.

#include "platform/rtl/Types.h"

#include <exception>

namespace qor {

class Exception : public std::exception {
public:
    explicit Exception(String Message) : FMessage(std::move(Message)) {}
    const String& Message() const noexcept { return FMessage; }
    void SetMessage(String Value) { FMessage = std::move(Value); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    String FMessage;
};

#define QOR_DECLARE_EXCEPTION(Name, Base) \
    class Name : public Base {            \
    public:                               \
        using Base::Base;                 \
    }

// Silent: unwinds without a message being shown (Application::HandleException ignores it).
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

QOR_DECLARE_EXCEPTION(EConvertError, Exception);
QOR_DECLARE_EXCEPTION(EStreamError, Exception);
QOR_DECLARE_EXCEPTION(EReadError, EStreamError);
QOR_DECLARE_EXCEPTION(EWriteError, EStreamError);
QOR_DECLARE_EXCEPTION(EFCreateError, EStreamError);
QOR_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QOR_DECLARE_EXCEPTION(EListError, Exception);
QOR_DECLARE_EXCEPTION(EStringListError, EListError);
QOR_DECLARE_EXCEPTION(EComponentError, Exception);
QOR_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QOR_DECLARE_EXCEPTION(EAbstractError, Exception);
QOR_DECLARE_EXCEPTION(EPrinter, Exception);
QOR_DECLARE_EXCEPTION(EDatabaseError, Exception);
QOR_DECLARE_EXCEPTION(EOutOfResources, Exception);
QOR_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
QOR_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
QOR_DECLARE_EXCEPTION(EClassNotFound, Exception);
QOR_DECLARE_EXCEPTION(EPropertyError, Exception);

// Throws EAbort.
[[noreturn]] void Abort();

} // namespace qor
