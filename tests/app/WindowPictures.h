// Pictures of one window as the screenshot mode takes them, in the light and
// the dark appearance, for the windows its tour does not show: each picture
// is checked as the tour's own are.
#pragma once

#include "Appearance.h"
#include "GridProbes.h"
#include "Snapshot.h"
#include "WindowCapture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStyle>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

namespace WindowPictures {

// A picture as the screenshot mode writes it: the size of the window its
// probe file names, not of one colour.
inline void expectWholePicture(const QImage &image, const GridProbes::File &probes)
{
    EXPECT_EQ(image.size(), probes.window.toSize());
    QImage flat(image.size(), image.format());
    flat.fill(image.pixelColor(0, 0));
    EXPECT_NE(image, flat); // not one colour
}

// Every area of the probes lies inside the picture: for a picture of the
// window the probes were reported from.
inline void expectAreasInside(const QImage &image, const GridProbes::File &probes)
{
    const QRectF inside(QPointF(0, 0), QSizeF(image.size()));
    for (const GridProbes::Probe &probe : probes.probes) {
        if (probe.kind == GridProbes::Kind::area) {
            EXPECT_TRUE(inside.contains(QRectF(probe.x, probe.y, probe.width, probe.height))) << probe.name.toStdString();
        }
    }
}

// Captures window to "<name>-light.png" and "<name>-dark.png" (with their
// probe files) and checks that each is a picture of the window itself, not
// of one colour, and that the two differ. The
// application's style and palette are put back afterwards. The pictures are
// kept in the folder FILEWRIGHT_TEST_PICTURES names, when it names one.
inline void expectLightAndDark(QWidget &window, const QString &name)
{
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QString kept = qEnvironmentVariable("FILEWRIGHT_TEST_PICTURES");
    const QDir folder(kept.isEmpty() ? temporary.path() : kept);
    struct Restore
    {
        const QString style = QApplication::style()->name();
        const QPalette palette = QApplication::palette();
        ~Restore()
        {
            QApplication::setStyle(style);
            QApplication::setPalette(palette);
        }
    } restore;
    QImage pictures[2];
    int index = 0;
    for (const Appearance::Mode mode : {Appearance::Mode::light, Appearance::Mode::dark}) {
        Appearance::apply(mode);
        QCoreApplication::processEvents();
        const QString base = folder.filePath(name + QLatin1Char('-') + Snapshot::label(mode));
        SCOPED_TRACE(base.toStdString());
        QStringList lines;
        const bool written = QCoro::waitFor(
            WindowCapture([&lines](const QString &line) { lines.append(line); }, 0.01).capture(base + QStringLiteral(".png"), &window));
        ASSERT_TRUE(written) << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines, QStringList{QStringLiteral("SNAPSHOT ") + base + QStringLiteral(".png")});
        const QImage image(base + QStringLiteral(".png"));
        QFile probeFile(WindowCapture::probePath(base + QStringLiteral(".png")));
        ASSERT_TRUE(probeFile.open(QIODevice::ReadOnly));
        const std::optional<GridProbes::File> probes = GridProbes::decode(probeFile.readAll());
        ASSERT_FALSE(image.isNull());
        ASSERT_TRUE(probes);
        EXPECT_EQ(image.size(), window.size());
        expectWholePicture(image, *probes);
        pictures[index++] = image;
    }
    EXPECT_NE(pictures[0], pictures[1]);
}

} // namespace WindowPictures
