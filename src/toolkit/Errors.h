// The program's exceptions. Every failure a user can cause is one of these, carrying
// the message that the error display shows, in the chosen language; nothing below the top-level handler
// catches them, apart from the few places that deliberately swallow a failure.
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>
#include <utility>

#include "toolkit/Translation.h"

// Formats like printf into a std::string (UTF-8 text, byte-string paths).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string VFormat(const char* fmt, va_list args) __attribute__((format(printf, 1, 0)));

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
    // The file a failure concerns where the message itself does not name it, such as a
    // picture that cannot be decoded; the error display shows it beside the message.
    const std::string& FileName() const { return FileName_; }
    void SetFileName(std::string fileName) { FileName_ = std::move(fileName); }

private:
    std::string FileName_;
};

// NOLINTBEGIN(bugprone-macro-parentheses): the arguments are class names, which cannot be
// parenthesised.
#define VC_DECLARE_EXCEPTION(Name, Base)                                                           \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
    }
// NOLINTEND(bugprone-macro-parentheses)

VC_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
VC_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
VC_DECLARE_EXCEPTION(EInvalidOperation, Exception);
VC_DECLARE_EXCEPTION(EStreamError, Exception);
VC_DECLARE_EXCEPTION(EFOpenError, EStreamError);
VC_DECLARE_EXCEPTION(EReadError, EStreamError);
VC_DECLARE_EXCEPTION(EWriteError, EStreamError);
VC_DECLARE_EXCEPTION(EJPEG, Exception);
VC_DECLARE_EXCEPTION(EPrinter, Exception);
VC_DECLARE_EXCEPTION(ERegistryException, Exception);
VC_DECLARE_EXCEPTION(EIniFileException, Exception);
VC_DECLARE_EXCEPTION(EWin32Error, Exception);
VC_DECLARE_EXCEPTION(EOutOfResources, Exception);

#undef VC_DECLARE_EXCEPTION

// A silent exception: it ends what is running without any message being shown.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation abgebrochen") {}
};

// The messages of the runtime services, exactly as the user sees them.
namespace Msg {
inline constexpr TMsg FOpenError{QT_TRANSLATE_NOOP("Msg", "Datei %s kann nicht geöffnet werden")};
inline constexpr TMsg ReadError{QT_TRANSLATE_NOOP("Msg", "Stream-Read-Fehler")};
inline constexpr TMsg IniWriteError{
    QT_TRANSLATE_NOOP("Msg", "nach %s kann nicht geschrieben werden")};
inline constexpr TMsg Win32Error{QT_TRANSLATE_NOOP("Msg", "Win32-Fehler.  Code: %d.\n%s")};
inline constexpr TMsg OutOfResources{QT_TRANSLATE_NOOP("Msg", "Systemressourcen erschöpft.")};
inline constexpr TMsg ErrorFileName{QT_TRANSLATE_NOOP("Msg", "Datei: %s")};
} // namespace Msg
