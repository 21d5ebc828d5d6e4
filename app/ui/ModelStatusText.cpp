#include "ModelStatusText.h"

#include <QCoreApplication>

namespace ModelStatusText {

QString symbol(ModelStatus status)
{
    switch (status.value()) {
    case ModelStatus::available:
        return QStringLiteral("apple.intelligence");
    case ModelStatus::notReady:
        return QStringLiteral("arrow.down.circle");
    case ModelStatus::deviceNotEligible:
    case ModelStatus::notEnabled:
    case ModelStatus::switchedOff:
        break;
    }
    return QStringLiteral("info.circle");
}

QString text(ModelStatus status)
{
    switch (status.value()) {
    case ModelStatus::available:
        return QCoreApplication::translate(
            "ModelStatusText",
            "The local language model is on. Filewright reads files with the local language model on this computer.");
    case ModelStatus::deviceNotEligible:
        return QCoreApplication::translate("ModelStatusText",
                                           "This computer cannot run the local language model. Rules by name, type, "
                                           "age, size, and text still work.");
    case ModelStatus::notEnabled:
        return QCoreApplication::translate("ModelStatusText",
                                           "The local language model is off. Start a local model server to sort by "
                                           "kind, sender, date, and amount.");
    case ModelStatus::notReady:
        return QCoreApplication::translate("ModelStatusText",
                                           "The local language model is not ready yet. Filewright tries again later.");
    case ModelStatus::switchedOff:
        break;
    }
    return QCoreApplication::translate(
        "ModelStatusText",
        "Reading file content is off in Settings. Rules by name, type, age, size, and text still work.");
}

} // namespace ModelStatusText
