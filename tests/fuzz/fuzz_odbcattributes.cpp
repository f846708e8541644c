// The ODBC attribute reader. However lenient the first reading, what it read is written and read
// again to the same attributes, and a value set is the value read back, whatever it holds.
#include "fuzzcheck.h"
#include "oledb/odbcattributes.h"

using oledb::OdbcAttributes;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);
    const OdbcAttributes first = OdbcAttributes::parse(text);
    const QString written = first.toString();
    FUZZ_CHECK(OdbcAttributes::parse(written).attributes() == first.attributes(), text << written);

    // The last attribute's value, given to the first key: set() keeps one occurrence only.
    if (first.attributes().isEmpty())
        return 0;
    OdbcAttributes changed = first;
    const QString key = first.attributes().front().key;
    const QString value = text.sliced(text.size() / 2);
    changed.set(key, value);
    FUZZ_CHECK(changed.value(key) == value, key << value);
    const OdbcAttributes reread = OdbcAttributes::parse(changed.toString());
    FUZZ_CHECK(reread.value(key) == value, changed.toString());
    return 0;
}
