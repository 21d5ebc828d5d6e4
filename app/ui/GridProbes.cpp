#include "GridProbes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QWidget>

#include <algorithm>

namespace {

QJsonObject toJson(const GridProbes::Probe &probe)
{
    QJsonObject object{
        {QStringLiteral("kind"), GridProbes::kindText(probe.kind)},
        {QStringLiteral("name"), probe.name},
        {QStringLiteral("area"), probe.area},
        {QStringLiteral("inset"), probe.inset},
        {QStringLiteral("x"), probe.x},
        {QStringLiteral("y"), probe.y},
        {QStringLiteral("width"), probe.width},
        {QStringLiteral("height"), probe.height},
    };
    if (probe.edge)
        object.insert(QStringLiteral("edge"), *probe.edge);
    return object;
}

bool readNumber(const QJsonObject &object, const char *key, double &into)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble())
        return false;
    into = value.toDouble();
    return true;
}

bool readText(const QJsonObject &object, const char *key, QString &into)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString())
        return false;
    into = value.toString();
    return true;
}

std::optional<GridProbes::Probe> probeFromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    GridProbes::Probe probe;
    QString kind;
    if (!readText(object, "kind", kind) || !readText(object, "name", probe.name) || !readText(object, "area", probe.area)
        || !readNumber(object, "inset", probe.inset) || !readNumber(object, "x", probe.x)
        || !readNumber(object, "y", probe.y) || !readNumber(object, "width", probe.width)
        || !readNumber(object, "height", probe.height))
        return std::nullopt;
    if (kind == GridProbes::kindText(GridProbes::Kind::area))
        probe.kind = GridProbes::Kind::area;
    else if (kind == GridProbes::kindText(GridProbes::Kind::probe))
        probe.kind = GridProbes::Kind::probe;
    else
        return std::nullopt;
    if (object.contains(QStringLiteral("edge"))) {
        QString edge;
        if (!readText(object, "edge", edge))
            return std::nullopt;
        probe.edge = edge;
    }
    return probe;
}

} // namespace

GridProbes &GridProbes::shared()
{
    static GridProbes *store = new GridProbes; // lives for the whole process
    return *store;
}

bool GridProbes::enabled()
{
    static const bool value = enabledBy(QProcessEnvironment::systemEnvironment());
    return value;
}

bool GridProbes::enabledBy(const QProcessEnvironment &environment)
{
    return environment.contains(QStringLiteral("APP_SNAPSHOT"))
        || environment.value(QStringLiteral("APP_GRID")) == QLatin1String("1");
}

QString GridProbes::kindText(Kind kind)
{
    return kind == Kind::area ? QStringLiteral("area") : QStringLiteral("probe");
}

GridProbes::GridProbes(QObject *parent)
    : QObject(parent)
{
}

QString GridProbes::key(Kind kind, const QString &name)
{
    return kindText(kind) + QLatin1Char(':') + name;
}

void GridProbes::update(const Probe &probe, const QUuid &owner, const QWidget *window)
{
    m_entries[key(probe.kind, probe.name)].insert(owner, Entry{probe, owner, window});
    Q_EMIT changed();
}

void GridProbes::remove(Kind kind, const QString &name, const QUuid &owner)
{
    const auto found = m_entries.find(key(kind, name));
    if (found == m_entries.end() || !found->remove(owner))
        return;
    if (found->isEmpty())
        m_entries.erase(found);
    Q_EMIT changed();
}

void GridProbes::sort(QList<Probe> &probes)
{
    std::sort(probes.begin(), probes.end(), [](const Probe &a, const Probe &b) {
        // Area names compare by their UTF-16 code units, which orders them as
        // code points do everywhere but beyond the basic plane.
        const int areas = QString::compare(a.area, b.area, Qt::CaseSensitive);
        if (areas != 0)
            return areas < 0;
        if (a.y != b.y)
            return a.y < b.y;
        return a.x < b.x;
    });
}

QList<GridProbes::Probe> GridProbes::chosen(const QWidget *window, bool everyWindow) const
{
    const auto above = [](const Entry &a, const Entry &b) {
        if (a.probe.y != b.probe.y)
            return a.probe.y < b.probe.y;
        if (a.probe.x != b.probe.x)
            return a.probe.x < b.probe.x;
        return a.owner < b.owner;
    };
    QList<Probe> probes;
    for (const QHash<QUuid, Entry> &reports : m_entries) {
        const Entry *top = nullptr;
        for (const Entry &entry : reports) {
            if ((everyWindow || entry.window == window) && (!top || above(entry, *top)))
                top = &entry;
        }
        if (top)
            probes.append(top->probe);
    }
    sort(probes);
    return probes;
}

QList<GridProbes::Probe> GridProbes::probes() const
{
    return chosen(nullptr, true);
}

QList<GridProbes::Probe> GridProbes::probes(const QWidget *window) const
{
    return chosen(window, false);
}

bool GridProbes::write(const QString &path, const QSizeF &size) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(encode(File{size, probes()}));
    return file.commit();
}

QByteArray GridProbes::encode(const File &file)
{
    QJsonArray probes;
    for (const Probe &probe : file.probes)
        probes.append(toJson(probe));
    const QJsonObject root{
        {QStringLiteral("window"),
         QJsonObject{{QStringLiteral("width"), file.window.width()}, {QStringLiteral("height"), file.window.height()}}},
        {QStringLiteral("probes"), probes},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<GridProbes::File> GridProbes::decode(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const QJsonValue window = root.value(QStringLiteral("window"));
    const QJsonValue probes = root.value(QStringLiteral("probes"));
    if (!window.isObject() || !probes.isArray())
        return std::nullopt;
    double width = 0;
    double height = 0;
    if (!readNumber(window.toObject(), "width", width) || !readNumber(window.toObject(), "height", height))
        return std::nullopt;
    File file{QSizeF(width, height), {}};
    for (const QJsonValue &value : probes.toArray()) {
        const std::optional<Probe> probe = probeFromJson(value);
        if (!probe)
            return std::nullopt;
        file.probes.append(*probe);
    }
    return file;
}
