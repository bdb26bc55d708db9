// libFuzzer entry for the ADTG reader and writer (clang only; configure with -DDORVANE_FUZZ=ON and run
// build/tests/fuzz_adtg CORPUS tests/data/adtg, CORPUS a writable folder that receives new inputs). The
// same property as the seeded test: read or fail with the data error; what reads writes, and a second
// round changes no byte.
#include "core/DataError.h"
#include "datasource/AdtgReader.h"
#include "datasource/AdtgWriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace dorvane;
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QByteArray written = AdtgWriter::write(AdtgReader::read(input, QStringLiteral("fuzz")));
        if (AdtgWriter::write(AdtgReader::read(written, QStringLiteral("rewritten"))) != written)
            std::abort();
    } catch (const DataError&) {
    }
    return 0;
}
