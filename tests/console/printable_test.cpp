// printable: control characters and bytes that are not well-formed UTF-8
// show as \xNN; other text, other scripts included, stays as it is.
#include "console/printable.h"

#include <gtest/gtest.h>

TEST(Printable, EscapesControlsAndMalformedUtf8AndKeepsTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"car_red \xc3\xa9\xe2\x82\xac\xf0\x9f\x9a\x97",
         "car_red \xc3\xa9\xe2\x82\xac\xf0\x9f\x9a\x97"},
        {"a\nb\x1b[2J\x7f", "a\\x0ab\\x1b[2J\\x7f"},
        {"\xc2\x9b"
         "31m",
         "\\x9b31m"},                                          // C1 control CSI, as UTF-8
        {"caf\xe9", "caf\\xe9"},                               // a Latin-1 byte alone
        {"\xc0\xaf\xe0\x80\xaf", "\\xc0\\xaf\\xe0\\x80\\xaf"}, // overlong forms
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},                   // a surrogate
        {"\xe2\x82", "\\xe2\\x82"},                            // cut short at the end
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(printable(text), shown);
}
