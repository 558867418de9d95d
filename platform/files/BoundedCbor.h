#pragma once
// CBOR from files we do not trust. Before Qt decodes anything, one pass over the bytes checks that
// every declared length and element count fits in the bytes that are actually there, that nesting
// stays shallow and that nothing has an indefinite length (our writers never produce one). Memory
// used by the decoder is then bounded by the input size, whatever the bytes say.

#include <QByteArray>
#include <QCborMap>
#include <QString>

#include <optional>

namespace tallomer {

inline constexpr int kMaxCborDepth = 32;

// True when data holds exactly one well-formed item within the bounds above.
bool cborWithinBounds(const QByteArray& data, QString* error = nullptr);

// Decodes data, which must be exactly one map with text keys; absent (and error set) otherwise.
std::optional<QCborMap> decodeCborMap(const QByteArray& data, QString* error = nullptr);

} // namespace tallomer
