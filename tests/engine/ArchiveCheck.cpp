#include "ArchiveCheck.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QFile>

#include <algorithm>
#include <dirent.h>

namespace {

const char *readerScript = R"(
import base64, json, sys, zipfile
entries = []
with zipfile.ZipFile(sys.argv[1]) as archive:
    bad = archive.testzip()
    if bad is not None:
        sys.exit("bad entry: " + bad)
    for info in archive.infolist():
        entries.append({
            "name": info.filename,
            "crc": info.CRC,
            "size": info.file_size,
            "compressedSize": info.compress_size,
            "method": info.compress_type,
            "flags": info.flag_bits,
            "createVersion": info.create_version,
            "createSystem": info.create_system,
            "external": info.external_attr,
            "dateTime": list(info.date_time),
            "data": base64.b64encode(archive.read(info)).decode("ascii"),
        })
print(json.dumps(entries))
)";

} // namespace

namespace ArchiveCheck {

QList<Entry> readWithPython(const QString &archivePath)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(readerScript), archivePath});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        ADD_FAILURE() << "zipfile could not read " << archivePath.toStdString() << ": "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    QList<Entry> entries;
    const QJsonArray list = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    for (const QJsonValue &value : list) {
        const QJsonObject object = value.toObject();
        Entry entry;
        entry.name = object.value(QStringLiteral("name")).toString();
        entry.crc = quint32(object.value(QStringLiteral("crc")).toInteger());
        entry.size = object.value(QStringLiteral("size")).toInteger();
        entry.compressedSize = object.value(QStringLiteral("compressedSize")).toInteger();
        entry.method = object.value(QStringLiteral("method")).toInt();
        entry.flags = object.value(QStringLiteral("flags")).toInt();
        entry.createVersion = object.value(QStringLiteral("createVersion")).toInt();
        entry.createSystem = object.value(QStringLiteral("createSystem")).toInt();
        entry.externalAttributes = quint32(object.value(QStringLiteral("external")).toInteger());
        for (const QJsonValue &part : object.value(QStringLiteral("dateTime")).toArray())
            entry.dateTime.append(part.toInt());
        entry.data = QByteArray::fromBase64(object.value(QStringLiteral("data")).toString().toLatin1());
        entries.append(entry);
    }
    return entries;
}

bool testWithUnzip(const QString &archivePath, QString *output)
{
    QProcess unzip;
    unzip.setProcessChannelMode(QProcess::MergedChannels);
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-t"), QStringLiteral("-qq"), archivePath});
    const bool finished = unzip.waitForFinished(60000);
    if (output)
        *output = QString::fromUtf8(unzip.readAll());
    return finished && unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
}

QByteArray runUnzip(const QStringList &arguments)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    QProcess unzip;
    unzip.setProcessEnvironment(environment);
    unzip.start(QStringLiteral("unzip"), arguments);
    const bool finished = unzip.waitForFinished(60000);
    const QByteArray output = unzip.readAllStandardOutput();
    if (!finished || unzip.exitStatus() != QProcess::NormalExit || unzip.exitCode() != 0) {
        ADD_FAILURE() << "unzip " << arguments.join(u' ').toStdString() << " failed: " << output.toStdString()
                      << unzip.readAllStandardError().toStdString();
        return {};
    }
    return output;
}

QList<QByteArray> rawNames(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        ADD_FAILURE() << "cannot list " << folder.toStdString();
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

quint16 read16(const QByteArray &bytes, qsizetype offset)
{
    return quint16(uchar(bytes.at(offset)) | uchar(bytes.at(offset + 1)) << 8);
}

} // namespace ArchiveCheck
