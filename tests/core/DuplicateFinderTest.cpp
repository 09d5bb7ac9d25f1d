#include "core/DuplicateFinder.h"

#include "RecordRows.h"
#include "util/Mbcs.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using lh::GridColumn;
using Indexes = std::vector<std::size_t>;

namespace {

Indexes Duplicates(const std::vector<std::string>& addresses) {
    return lh::DuplicateAddressRecords(
        lh::test::ColumnRows(GridColumn::Address, addresses).Cells());
}

TEST(DuplicateAddressRecords, laterRecordsRepeatingAnAddressAreDuplicates) {
    struct DuplicateCase {
        const char* what;
        std::vector<std::string> addresses;
        Indexes duplicates;
    };
    const std::vector<DuplicateCase> cases = {
        {"none", {"http://a/", "http://b/"}, {}},
        {"letter case folded, the first one stays",
         {"http://a.com", "HTTP://A.COM", "http://b.com", "http://a.com", "Http://B.Com"},
         {1, 3, 4}},
        {"empty addresses are never duplicates", {"", "", "x", ""}, {}},
        {"the same characters with different second bytes differ",
         {"\x83\x61", "\x83\x41", "x\x83\x41", "X\x83\x41"},
         {3}},
        {"signs that differ only in bit 0x20 differ", {"a[", "A{", "a@", "A`"}, {}},
        {"a trailing blank makes another address", {"http://a/", "http://a/ "}, {}},
    };
    for (const DuplicateCase& c : cases)
        EXPECT_EQ(Duplicates(c.addresses), c.duplicates) << c.what;
}

TEST(DuplicateAddressRecords, agreesWithASetOfUpperCasedAddressesOnManyRecords) {
    std::vector<std::string> addresses;
    for (int i = 0; i < 20000; ++i) {
        const int site = (i * 7919) % 6000;
        std::string a = "http://www.site" + std::to_string(site) + ".example/";
        if (i % 5 == 0)
            a = lh::AsciiUpper(a);
        if (i % 11 == 0)
            a.clear();
        addresses.push_back(a);
    }
    Indexes expected;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (!addresses[i].empty() && !seen.insert(lh::AsciiUpper(addresses[i])).second)
            expected.push_back(i);
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Duplicates(addresses), expected);
}

} // namespace
