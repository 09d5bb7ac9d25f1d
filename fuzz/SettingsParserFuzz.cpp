// The settings parser on any text: parsing what it serialises gives the same file back, and
// values stored into any parsed file read back the same after serialising and parsing again.

#include "FuzzCheck.h"
#include "platform/RegFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace lh::platform;

namespace {

// Reads a few values to store from the front of the input, each as: key byte, name byte, type
// byte, data length byte and data.
struct Stored {
    std::string key;
    std::string name;
    RegValue value;
};

bool SameFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

std::vector<Stored> TakeValues(std::string_view& in) {
    static const char* const kKeys[] = {"Software\\Tessella\\Linkhive\\OtherSet",
                                        "Software\\Tessella\\Linkhive\\Font",
                                        "software\\tessella\\linkhive\\font", "Software\\X"};
    static const char* const kNames[] = {"Size", "Name", "size", "Blob", "Path", "", "A B"};
    std::vector<Stored> out;
    while (in.size() >= 4 && out.size() < 6) {
        Stored s;
        s.key = kKeys[static_cast<unsigned char>(in[0]) % 4];
        s.name = kNames[static_cast<unsigned char>(in[1]) % 7];
        const unsigned type = static_cast<unsigned char>(in[2]) % 5;
        const std::size_t length =
            std::min<std::size_t>(static_cast<unsigned char>(in[3]) % 32, in.size() - 4);
        const std::string data(in.substr(4, length));
        in.remove_prefix(4 + length);
        if (type == 0) {
            s.value = RegValue::Dword(static_cast<std::int32_t>(data.size() * 2654435761u));
        } else {
            s.value.type = type == 4 ? regtype::kBinary : type;
            s.value.data = data;
        }
        out.push_back(std::move(s));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::vector<Stored> values = TakeValues(in);

    RegFile file = RegFile::Parse(in);
    const std::string once = file.Serialize();
    LH_FUZZ_CHECK(RegFile::Parse(once).Serialize() == once);

    std::vector<const Stored*> accepted;
    for (const Stored& s : values)
        if (file.Set(RootHive::CurrentUser, s.key, s.name, s.value) != RegFile::SetResult::Refused)
            accepted.push_back(&s);
    const RegFile again = RegFile::Parse(file.Serialize());
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        const Stored& s = *accepted[i];
        // A later value of the same key and name (letter case aside) replaces this one.
        bool replaced = false;
        for (std::size_t j = i + 1; j < accepted.size(); ++j)
            replaced = replaced || (SameFolded(accepted[j]->key, s.key) &&
                                    SameFolded(accepted[j]->name, s.name));
        if (replaced)
            continue;
        const RegValue* read = again.Find(RootHive::CurrentUser, s.key, s.name);
        LH_FUZZ_CHECK(read != nullptr);
        // Text reads up to its first NUL, the way every reader of the store takes it; other
        // types keep their bytes exactly.
        LH_FUZZ_CHECK(read->type == s.value.type);
        if (s.value.type == regtype::kSz || s.value.type == regtype::kExpandSz)
            LH_FUZZ_CHECK(RegValueText(*read) == RegValueText(s.value));
        else
            LH_FUZZ_CHECK(read->data == s.value.data);
    }
    return 0;
}
