// The caption and size-text helpers on any bytes: no crash, no undefined behaviour, and the
// properties the commands rely on.
#include <cstdlib>

#include "fuzz_input.h"
#include "core/wtf8.h"
#include "panes/entry_rules.h"

using namespace bivane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const std::string a = in.Text();
    const std::string b = in.Text();

    ReadSizeText(a);
    const std::string caption = FileCaption(a);
    if (caption.size() != a.size()) std::abort();  // only letters change, never the length
    if (FileCaption(caption) != caption) std::abort();
    const std::string ext = Extension(a);
    if (!ext.empty() && (ext[0] != '.' || a.size() < ext.size() || a.compare(a.size() - ext.size(), ext.size(), ext) != 0)) {
        std::abort();
    }
    const std::string stripped = StripDirBrackets(a);
    if (stripped.size() > a.size() || a.size() - stripped.size() > 2) std::abort();
    if (IsDirEntry(a) && (a.size() < 3 || (a[0] != '[' && a[0] != '<'))) std::abort();
    const std::string joined = JoinPathRootAware(a, b);
    if (joined.size() != a.size() + b.size() + (a.size() == 3 ? 0 : 1)) std::abort();
    if (EqualsIgnoreAsciiCase(a, b) != (AsciiUpper(a) == AsciiUpper(b))) std::abort();
    // Size texts written by the program read back as the same number.
    const std::int64_t n = in.Int64();
    if (ReadSizeText(std::to_string(n)) != n) std::abort();
    // Any 16-bit name, lone surrogates included, comes back from its 8-bit form unchanged.
    std::u16string units;
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(b[i]) | (static_cast<unsigned char>(b[i + 1]) << 8));
    }
    if (Wtf8ToUtf16(Utf16ToWtf8(units)) != units) std::abort();
    NameReach(a);
    return 0;
}
