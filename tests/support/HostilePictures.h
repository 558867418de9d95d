#pragma once
// Picture files that lie about themselves, for the readers that must refuse them cheaply.

#include <QByteArray>
#include <QtEndian>

namespace tallomer::test {

// A chunk of a PNG: length, type, data and the CRC-32 over type and data.
inline QByteArray pngChunk(const char* type, const QByteArray& data)
{
    QByteArray body = QByteArray(type, 4) + data;
    quint32 crc = 0xFFFFFFFFu;
    for (unsigned char c : body) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    char be[4];
    QByteArray out;
    qToBigEndian(quint32(data.size()), be);
    out.append(be, 4);
    out.append(body);
    qToBigEndian(crc ^ 0xFFFFFFFFu, be);
    out.append(be, 4);
    return out;
}

// A valid PNG header announcing w by h (8-bit RGB), followed by far too few pixels.
inline QByteArray pngAnnouncing(quint32 w, quint32 h)
{
    char be[4];
    QByteArray ihdr;
    qToBigEndian(w, be);
    ihdr.append(be, 4);
    qToBigEndian(h, be);
    ihdr.append(be, 4);
    ihdr.append("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) +
           pngChunk("IDAT", QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) + pngChunk("IEND", {});
}

} // namespace tallomer::test
