// Arbitrary text through the INI rules: lookups must not crash and agree with the text
// read once, and an edit must read back as written, leave every other key's value alone
// and be idempotent.
#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>

#include "toolkit/IniFile.h"

namespace {

std::string Normalized(std::string_view name) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\v' || c == '\f';
    };
    while (!name.empty() && blank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && blank(name.back()))
        name.remove_suffix(1);
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(16);
    const std::string key = input.ConsumeRandomLengthString(16);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string otherSection = input.ConsumeRandomLengthString(16);
    const std::string otherKey = input.ConsumeRandomLengthString(16);
    const std::string text = input.ConsumeRemainingBytesAsString();

    // The text read once into its sections reads every value as the lookup does, cut.
    std::optional<std::string> found = IniFindValue(text, section, key);
    if (found && found->size() > IniMaxValueLength)
        found->resize(IniMaxValueLength);
    if (TIniText(text).Value(section, key) != found)
        std::abort();

    const auto otherBefore = IniFindValue(text, otherSection, otherKey);
    if (!IniCanWrite(section, key, value))
        return 0;

    const std::string edited = IniSetValues(text, section, {{key, value}});
    if (IniFindValue(edited, section, key) != value)
        std::abort();
    const bool sameEntry =
        Normalized(otherSection) == Normalized(section) && Normalized(otherKey) == Normalized(key);
    if (!sameEntry && IniFindValue(edited, otherSection, otherKey) != otherBefore)
        std::abort();
    if (IniSetValues(edited, section, {{key, value}}) != edited)
        std::abort();
    return 0;
}
