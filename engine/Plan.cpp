#include "Plan.h"

#include "FileUrlCoding.h"
#include "JsonCoding.h"

#include <QJsonArray>

#include <algorithm>

QJsonObject Plan::toJson() const
{
    QJsonObject object{
        {QStringLiteral("ruleID"), JsonCoding::uuidText(ruleID)},
        {QStringLiteral("original"), FileUrlCoding::toJson(original)},
        {QStringLiteral("destination"), FileUrlCoding::toJson(destination)},
        {QStringLiteral("copies"), FileUrlCoding::toJson(copies)},
        {QStringLiteral("tags"), QJsonArray::fromStringList(tags)},
        {QStringLiteral("missing"), QJsonArray::fromStringList(missing)},
    };
    if (trashAfterDays)
        object.insert(QStringLiteral("trashAfterDays"), static_cast<double>(*trashAfterDays));
    if (openWith)
        object.insert(QStringLiteral("openWith"), *openWith);
    return object;
}

QByteArray Plan::toJsonData() const
{
    return JsonCoding::serialize(toJson());
}

Plan Plan::fromJson(const QJsonObject &object)
{
    Plan plan;
    plan.ruleID = JsonCoding::requiredUuid(object, QStringLiteral("ruleID"));
    plan.original = FileUrlCoding::requiredPath(object, QStringLiteral("original"));
    plan.destination = FileUrlCoding::requiredPath(object, QStringLiteral("destination"));
    plan.copies = FileUrlCoding::requiredPaths(object, QStringLiteral("copies"));
    plan.tags = JsonCoding::requiredStringList(object, QStringLiteral("tags"));
    plan.trashAfterDays = FileUrlCoding::optionalInteger(object, QStringLiteral("trashAfterDays"));
    plan.openWith = JsonCoding::optionalString(object, QStringLiteral("openWith"));
    plan.missing = JsonCoding::requiredStringList(object, QStringLiteral("missing"));
    return plan;
}

Plan Plan::fromJsonData(const QByteArray &data)
{
    return fromJson(JsonCoding::parseObject(data));
}

QDateTime Plan::trashDue(const QDateTime &start, qint64 days)
{
    return start.addDays(std::clamp(days, -maxTrashAfterDays, maxTrashAfterDays));
}
