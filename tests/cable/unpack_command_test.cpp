// The unpack command for Windows as text: PowerShell literals and the choice between tar.exe
// and Expand-Archive. Portable; built for the host and, in the cross build, run under Wine.

#include "cable/unpack_command.h"

#include <gtest/gtest.h>

namespace qv::cable {
namespace {

TEST(CableUnpackCommand, PowerShellLiteralsDoubleEverySingleQuote) {
    struct Case {
        const wchar_t* text;
        const wchar_t* quoted;
    };
    const Case cases[] = {
        {L"", L"''"},
        {L"C:\\Users\\Anna\\pack.zip", L"'C:\\Users\\Anna\\pack.zip'"},
        {L"C:\\Users\\O'Brien\\a b.zip", L"'C:\\Users\\O''Brien\\a b.zip'"},
        {L"''", L"''''''"},
        {L"a\u2019b\u2018c\u201Ad\u201Be",
         L"'a\u2019\u2019b\u2018\u2018c\u201A\u201Ad\u201B\u201Be'"},
        {L"$env:TEMP `; \"x\"", L"'$env:TEMP `; \"x\"'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(powerShellQuote(c.text), c.quoted);
}

TEST(CableUnpackCommand, TarWhenTheSystemHasItElseExpandArchive) {
    const CommandLine tar = windowsUnpackCommand(L"C:\\Windows\\System32\\tar.exe", true,
                                                 L"C:\\Q\\O'B\\p.zip", L"C:\\Q\\O'B");
    EXPECT_EQ(tar.program, L"C:\\Windows\\System32\\tar.exe");
    EXPECT_EQ(tar.arguments,
              (std::vector<std::wstring>{L"-xf", L"C:\\Q\\O'B\\p.zip", L"-C", L"C:\\Q\\O'B"}));

    const CommandLine ps = windowsUnpackCommand(L"C:\\Windows\\System32\\tar.exe", false,
                                                L"C:\\Q\\O'B\\p.zip", L"C:\\Q\\O'B");
    EXPECT_EQ(ps.program, L"powershell.exe");
    EXPECT_EQ(ps.arguments,
              (std::vector<std::wstring>{
                  L"-NoProfile", L"-Command",
                  L"Expand-Archive -Force -LiteralPath 'C:\\Q\\O''B\\p.zip' -DestinationPath "
                  L"'C:\\Q\\O''B'"}));
}

} // namespace
} // namespace qv::cable
