// The screenshot mode: with APP_SNAPSHOT naming an output folder (and a test
// store in use), Filewright walks itself through every page, sheet and
// settings tab, in the light and the dark appearance, writes a PNG and a
// layout-probe file of each into the folder, prints one line per picture and
// quits. APP_SNAPSHOT_PAGES narrows the tour to a comma-separated list of
// page names and the words "sheets" and "settings"; APP_SNAPSHOT_TIMESCALE
// shortens the waits (tests only). The tour waits on the event loop, so the
// windows stay live between its steps.
#pragma once

#include "Appearance.h"
#include "WindowCapture.h"

#include <QObject>
#include <QProcessEnvironment>
#include <QSet>
#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AppModel;

class Snapshot : public QObject
{
    Q_OBJECT

public:
    using OpenSettings = std::function<void()>;

    // The word the file names use for an appearance.
    static QString label(Appearance::Mode appearance);

    // The refusal line when APP_SNAPSHOT asks for the tour and no test store
    // is in use; none otherwise. A start checks it before it hands over to a
    // running Filewright or waits for the store.
    static std::optional<QString> refusal();

    // When APP_SNAPSHOT is set and not empty: refuses without a test store,
    // else starts the tour. The returned run tells the exit code; none when
    // no screenshots were asked for.
    static std::unique_ptr<Snapshot> runIfRequested(AppModel &model, OpenSettings openSettings);

    // The words of APP_SNAPSHOT_PAGES (empty pieces dropped, nothing trimmed);
    // none when it is absent, which selects everything.
    static std::optional<QSet<QString>> selection(const QProcessEnvironment &environment);
    // APP_SNAPSHOT_TIMESCALE when it is a positive number, else 1.
    static double timeScale(const QProcessEnvironment &environment);

    Snapshot(AppModel &model, OpenSettings openSettings, QString folder, std::optional<QSet<QString>> selection,
             double timeScale, WindowCapture::Output output, QObject *parent = nullptr);
    ~Snapshot() override;

    // Runs the tour; it ends by asking the application to quit.
    QCoro::Task<> run();

    bool isFinished() const { return m_finished; }
    // 0 when every capture wrote its picture; 1 after a refusal or a failed capture.
    int exitCode() const { return m_exitCode; }

Q_SIGNALS:
    void finished();

private:
    bool selected(const QString &word) const;
    QString path(const QString &name) const;
    QCoro::Task<> wait(std::chrono::milliseconds duration) const;
    // Waits until the pages have caught up with the store and their layouts
    // are done, so that a picture never shows a page half built.
    QCoro::Task<> settle() const;
    QCoro::Task<> shoot(QString name, QWidget *window);
    QCoro::Task<> pages();
    QCoro::Task<> sheets();
    QCoro::Task<> settings();
    void finish();

    AppModel &m_model;
    OpenSettings m_openSettings;
    const QString m_folder;
    const std::optional<QSet<QString>> m_selection;
    const double m_timeScale;
    WindowCapture::Output m_output;
    WindowCapture m_capture;
    bool m_finished = false;
    int m_exitCode = 0;
};
