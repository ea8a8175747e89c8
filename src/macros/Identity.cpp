#include "macros/Identity.h"

namespace Identity {

namespace {
constexpr qsizetype kMinReplyLength = 11;
constexpr qsizetype kModelLength = 6;
} // namespace

QByteArray query()
{
    return QByteArray("\x05\x15", 2);
}

std::optional<Model> parseIdentityReply(const QByteArray &reply)
{
    if (reply.size() < kMinReplyLength)
        return std::nullopt;
    const qsizetype cmd = reply.indexOf("CMD");
    if (cmd < 0)
        return std::nullopt;
    // Skip "CMD" and its separator, whatever character that is.
    const qsizetype model = cmd + 4;
    // At least two characters must follow the separator.
    if (model + 1 >= reply.size())
        return std::nullopt;
    const QByteArray name = reply.mid(model, kModelLength);
    if (name == "T340QV")
        return Model::T340QV;
    if (name == "MX2100")
        return Model::MX2100;
    if (name == "MX2600")
        return Model::MX2600;
    return std::nullopt;
}

bool hasExtendedStore(Model model)
{
    return model == Model::MX2600;
}

} // namespace Identity
