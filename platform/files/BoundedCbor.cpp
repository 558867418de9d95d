#include "platform/files/BoundedCbor.h"

#include <QCborValue>

#include <cstdint>

namespace tallomer {

namespace {

class Scanner {
public:
    explicit Scanner(const QByteArray& data)
        : p_(reinterpret_cast<const std::uint8_t*>(data.constData())), end_(p_ + data.size())
    {
    }

    bool scanAll(QString* error)
    {
        if (!item(0, error))
            return false;
        if (p_ != end_)
            return fail(error, QStringLiteral("trailing bytes after the CBOR item"));
        return true;
    }

private:
    std::uint64_t remaining() const { return std::uint64_t(end_ - p_); }

    static bool fail(QString* error, const QString& message)
    {
        if (error)
            *error = message;
        return false;
    }

    bool argument(std::uint8_t info, std::uint64_t* value, QString* error)
    {
        if (info < 24) {
            *value = info;
            return true;
        }
        int bytes = 0;
        switch (info) {
        case 24: bytes = 1; break;
        case 25: bytes = 2; break;
        case 26: bytes = 4; break;
        case 27: bytes = 8; break;
        case 31: return fail(error, QStringLiteral("indefinite length in CBOR"));
        default: return fail(error, QStringLiteral("reserved CBOR additional information"));
        }
        if (remaining() < std::uint64_t(bytes))
            return fail(error, QStringLiteral("CBOR truncated"));
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | *p_++;
        *value = v;
        return true;
    }

    bool item(int depth, QString* error)
    {
        if (depth > kMaxCborDepth)
            return fail(error, QStringLiteral("CBOR nested too deeply"));
        if (p_ == end_)
            return fail(error, QStringLiteral("CBOR truncated"));
        const std::uint8_t initial = *p_++;
        const int major = initial >> 5;
        std::uint64_t value = 0;
        if (!argument(initial & 0x1f, &value, error))
            return false;
        switch (major) {
        case 0: // unsigned and negative integers
        case 1:
        case 7: // simple values and floats: the argument was the whole payload
            return true;
        case 2: // byte and text strings
        case 3:
            if (value > remaining())
                return fail(error, QStringLiteral("CBOR string longer than the data"));
            p_ += value;
            return true;
        case 4: // arrays: every element takes at least one byte
            if (value > remaining())
                return fail(error, QStringLiteral("CBOR array longer than the data"));
            for (std::uint64_t i = 0; i < value; ++i)
                if (!item(depth + 1, error))
                    return false;
            return true;
        case 5: // maps: a key and a value per entry
            if (value > remaining() / 2)
                return fail(error, QStringLiteral("CBOR map longer than the data"));
            for (std::uint64_t i = 0; i < 2 * value; ++i)
                if (!item(depth + 1, error))
                    return false;
            return true;
        case 6: // tags
            return item(depth + 1, error);
        }
        return fail(error, QStringLiteral("unknown CBOR major type"));
    }

    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

} // namespace

bool cborWithinBounds(const QByteArray& data, QString* error)
{
    return Scanner(data).scanAll(error);
}

std::optional<QCborMap> decodeCborMap(const QByteArray& data, QString* error)
{
    if (!cborWithinBounds(data, error))
        return std::nullopt;
    QCborParserError parseError;
    const QCborValue value = QCborValue::fromCbor(data, &parseError);
    if (parseError.error != QCborError::NoError) {
        if (error)
            *error = parseError.errorString();
        return std::nullopt;
    }
    if (!value.isMap()) {
        if (error)
            *error = QStringLiteral("CBOR item is not a map");
        return std::nullopt;
    }
    const QCborMap map = value.toMap();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!it.key().isString()) {
            if (error)
                *error = QStringLiteral("CBOR map key is not text");
            return std::nullopt;
        }
    }
    return map;
}

} // namespace tallomer
