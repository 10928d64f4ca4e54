// Any bytes as Countdata.dat: reading must neither crash nor allocate more
// than the file holds, and what is read must write back and read the same.
#include "core/state/countrecord.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const zentova::CountRecord record = zentova::decodeRecord(bytes);
    const QByteArray written = zentova::encodeRecord(record);
    // Writing what was read is stable: a second round trip changes nothing.
    const zentova::CountRecord again = zentova::decodeRecord(written);
    if (zentova::encodeRecord(again) != written)
        std::abort();
    if (record.Count != again.Count || record.LapOn != again.LapOn ||
        record.TimerOn != again.TimerOn)
        std::abort();
    return 0;
}
