// Layout probes: selected widgets report their frames, in the coordinates of
// their window, to one shared store, so that the screenshot mode can write
// them beside each picture and the grid overlay can outline them. A page
// marks a widget with gridArea() or gridProbe(); unless the probes are
// switched on (APP_SNAPSHOT present, or APP_GRID=1) that does nothing at all,
// and it never changes the widget or its layout.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QSizeF>
#include <QString>
#include <QUuid>

#include <optional>

class QWidget;

class GridProbes : public QObject
{
    Q_OBJECT

public:
    // An area is a region whose inner margin matters, a probe a single
    // element whose position matters.
    enum class Kind { area, probe };

    // One reported frame; x and y are its top-left corner in its window
    // (y grows downward), all in pixels of the window at scale 1.
    struct Probe
    {
        Kind kind = Kind::probe;
        QString name;
        QString area;              // the region the element belongs to
        std::optional<QString> edge; // the edge of the area it lines up with
        double inset = 0;
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;

        friend bool operator==(const Probe &, const Probe &) = default;
    };

    // What a probe file holds: the captured window's size and the probes.
    struct File
    {
        QSizeF window;
        QList<Probe> probes;

        friend bool operator==(const File &, const File &) = default;
    };

    // The one store of the process.
    static GridProbes &shared();

    // Whether widgets report probes: decided once per process, from
    // enabledBy() of the process environment.
    static bool enabled();
    // True when APP_SNAPSHOT is present (even empty) or APP_GRID is "1".
    static bool enabledBy(const QProcessEnvironment &environment);

    static QString kindText(Kind kind);

    explicit GridProbes(QObject *parent = nullptr);

    // Stores owner's probe under its kind and name, replacing what that
    // owner reported before, and records in which window it stands. Several
    // widgets may report under one name (each card of a list): the probe of
    // that name is then the topmost of them, then the leftmost, whatever
    // order they reported in, so that a probe file tells the layout alone.
    void update(const Probe &probe, const QUuid &owner, const QWidget *window = nullptr);
    // Removes owner's probe of that kind and name; the others of the name stay.
    void remove(Kind kind, const QString &name, const QUuid &owner);

    // Every probe, by area, then y, then x.
    QList<Probe> probes() const;
    // The probes reported from inside window, in the same order: what the
    // grid overlay of that window outlines.
    QList<Probe> probes(const QWidget *window) const;

    // Writes the probe file of a picture of a window of the given size (in
    // pixels) with every probe there is now, of all windows, so that the file
    // beside a sheet or the settings window also shows where the page under
    // it lies; true when the whole file was written.
    bool write(const QString &path, const QSizeF &size) const;

    // The file as pretty-printed JSON with sorted keys; "edge" only where
    // there is one.
    static QByteArray encode(const File &file);
    // None when a required key is missing, has the wrong type, or a kind is
    // neither "area" nor "probe"; unknown keys are ignored.
    static std::optional<File> decode(const QByteArray &json);

Q_SIGNALS:
    void changed();

private:
    struct Entry
    {
        Probe probe;
        QUuid owner;
        QPointer<const QWidget> window;
    };
    static QString key(Kind kind, const QString &name);
    static void sort(QList<Probe> &probes);
    // The probes, one per kind and name, of window (of every window when null).
    QList<Probe> chosen(const QWidget *window, bool everyWindow) const;

    // By kind and name, each owner's report.
    QHash<QString, QHash<QUuid, Entry>> m_entries;
};

// Reports widget's frame as the area `name` (its own area) with an inner
// margin of inset, from its first layout on and for as long as it is shown.
void gridArea(QWidget *widget, const QString &name, double inset);
// Reports widget's frame as the single probe `name` in `area`, lined up
// with `edge` (for example "lead") where one is given.
void gridProbe(QWidget *widget, const QString &name, const QString &area, const std::optional<QString> &edge);
