#pragma once
// The printer's answer to the identity query (ENQ NAK), and which models
// support macros.
#include <QByteArray>
#include <optional>

namespace Identity {

enum class Model { T340QV, MX2100, MX2600 };

// The query itself: ENQ NAK.
QByteArray query();

// The accepted model named by a reply, or nullopt when the printer must be
// refused. A reply is at least 11 characters, holds "CMD" (the first one
// counts), one separator of any kind, then the 6-character model name,
// compared exactly.
std::optional<Model> parseIdentityReply(const QByteArray &reply);

// Only the MX2600 has an Extended Store.
bool hasExtendedStore(Model model);

} // namespace Identity
