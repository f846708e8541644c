// The connection-string parser and writer. What parses is written and parsed again to the same
// pairs, in both empty-value styles; a parse error's offset lies inside the text. The first byte
// chooses between reading the rest as a string and building arbitrary pairs for the writer.
#include "fuzzcheck.h"
#include "oledb/connectionstring.h"
#include "oledb/formaterror.h"

#include <fuzzer/FuzzedDataProvider.h>

using oledb::ConnectionString;
using oledb::EmptyValueStyle;
using oledb::KeywordValueList;

namespace {

void checkRoundTrip(const KeywordValueList &pairs)
{
    for (const auto style : {EmptyValueStyle::Bare, EmptyValueStyle::Quoted}) {
        const QString written = ConnectionString(pairs).toString(style);
        KeywordValueList reread;
        try {
            reread = ConnectionString::parse(written).pairs();
        } catch (const oledb::FormatError &error) {
            FUZZ_CHECK(false, written << "at" << error.offset());
        }
        FUZZ_CHECK(reread == pairs, written);
    }
}

void fuzzParser(const QString &text)
{
    KeywordValueList pairs;
    try {
        pairs = ConnectionString::parse(text).pairs();
    } catch (const oledb::FormatError &error) {
        FUZZ_CHECK(error.offset() >= 0 && error.offset() < text.size(), text << error.offset());
        return;
    }
    for (const auto &pair : pairs)
        FUZZ_CHECK(ConnectionString::isWritableKeyword(pair.keyword), pair.keyword);
    checkRoundTrip(pairs);
}

void fuzzWriter(FuzzedDataProvider &input)
{
    KeywordValueList pairs;
    while (input.remaining_bytes() > 0) {
        const std::string keyword = input.ConsumeRandomLengthString(64);
        const std::string value = input.ConsumeRandomLengthString(256);
        pairs.append({QString::fromStdString(keyword), QString::fromStdString(value)});
    }
    for (const auto &pair : pairs) {
        if (!ConnectionString::isWritableKeyword(pair.keyword)) {
            bool refused = false;
            try {
                ConnectionString(pairs).toString();
            } catch (const platform::Error &) {
                refused = true;
            }
            FUZZ_CHECK(refused, pair.keyword);
            return;
        }
    }
    checkRoundTrip(pairs);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] % 2 == 0) {
        fuzzParser(fuzzText(data + 1, size - 1));
    } else {
        FuzzedDataProvider input(data + 1, size - 1);
        fuzzWriter(input);
    }
    return 0;
}
