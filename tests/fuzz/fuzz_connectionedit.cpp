// The format-preserving editor. A string read and written with no edit comes back unchanged; an
// edited value reads back as set, with every other pair as it was; and setting the value back
// (after a change or a removal) gives the original string again, byte for byte. The input holds
// the string, then which pair to edit and the value to give it.
#include "fuzzcheck.h"
#include "oledb/connectionstring.h"
#include "oledb/connectionstringdocument.h"
#include "oledb/formaterror.h"

#include <fuzzer/FuzzedDataProvider.h>

using oledb::ConnectionString;
using oledb::ConnectionStringDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString text = QString::fromStdString(input.ConsumeRandomLengthString(1024));
    const auto index = input.ConsumeIntegral<quint8>();
    const QString value = QString::fromStdString(input.ConsumeRemainingBytesAsString());

    ConnectionStringDocument document;
    try {
        document = ConnectionStringDocument::parse(text);
    } catch (const oledb::FormatError &) {
        return 0;
    }
    FUZZ_CHECK(document.toString() == text, text << document.toString());
    if (document.count() == 0)
        return 0;
    const qsizetype at = index % document.count();
    const QString original = document.value(at);
    const auto before = ConnectionString::parse(text).pairs();

    document.setValue(at, value);
    auto expected = before;
    expected[at].value = value;
    const QString edited = document.toString();
    try {
        FUZZ_CHECK(ConnectionString::parse(edited).pairs() == expected, text << edited);
    } catch (const oledb::FormatError &error) {
        FUZZ_CHECK(false, text << edited << error.offset());
    }

    document.setValue(at, original);
    FUZZ_CHECK(document.toString() == text, text << value << document.toString());

    document.remove(at);
    document.setValue(at, original);
    FUZZ_CHECK(document.toString() == text, text << document.toString());
    return 0;
}
