// libFuzzer target over the readers of version 4.x files. The first byte of
// an input names the reader: 'U', 'I', 'B' (records), 'C' (category text),
// 'L' (lock text); the rest is the file's bytes.
#include "LegacyFormat.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArrayView body(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const auto records = [&](int recordSize, auto parse) {
        // Whole records as the readers take them, then whatever is left
        // over as one short record.
        qsizetype at = 0;
        for (; at + recordSize <= body.size(); at += recordSize)
            parse(body.sliced(at, recordSize));
        parse(body.sliced(at));
    };
    switch (data[0]) {
    case 'U':
        records(Legacy::UserSize, [](QByteArrayView r) { (void)ParseUserRecord(r); });
        break;
    case 'I':
        records(Legacy::ItemSize, [](QByteArrayView r) { (void)ParseItemRecord(r); });
        break;
    case 'B':
        records(Legacy::BookingSize, [](QByteArrayView r) {
            const LegacyBooking b = ParseBookingRecord(r);
            const QDate day = b.day();
            if (day.isValid())
                (void)day.toString(QStringLiteral("dd/MM/yyyy"));
        });
        break;
    case 'C':
        (void)ParseCategoryText(body);
        break;
    case 'L':
        (void)IsLockText(body);
        break;
    default:
        break;
    }
    return 0;
}
