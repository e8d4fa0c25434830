#include "editor/large_sample.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

#include "record_store/file_names.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

bool WriteRepeatedRecords(const QString& source, const QString& target, int mainSize, int subSize,
                          int count) {
    const QByteArray main = ReadAll(source);
    if (mainSize <= 0 || main.isEmpty() || main.size() % mainSize != 0) return false;
    const int records = static_cast<int>(main.size() / mainSize);
    QByteArray sub;
    const QString sourceSub = QString::fromStdString(SubfileNameFor(source.toStdString()));
    const QString targetSub = QString::fromStdString(SubfileNameFor(target.toStdString()));
    if (subSize > 0 && !sourceSub.isEmpty()) sub = ReadAll(sourceSub);
    // The k-th record with its sub-part flag (byte 14) set owns the k-th block.
    std::vector<int> block(static_cast<size_t>(records), -1);
    int blocks = 0;
    for (int r = 0; r < records; ++r)
        if (subSize > 0 && main[r * mainSize + 14] != 0) block[static_cast<size_t>(r)] = blocks++;

    QFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return false;
    QFile outSub(targetSub);
    const bool withSub = subSize > 0 && !targetSub.isEmpty();
    if (withSub && !outSub.open(QIODevice::WriteOnly)) return false;
    for (int i = 0; i < count; ++i) {
        const int r = i % records;
        out.write(main.constData() + static_cast<qsizetype>(r) * mainSize, mainSize);
        const int b = block[static_cast<size_t>(r)];
        if (withSub && b >= 0) {
            const qsizetype at = static_cast<qsizetype>(b) * subSize;
            QByteArray piece =
                at + subSize <= sub.size() ? sub.mid(at, subSize) : QByteArray(subSize, '\0');
            outSub.write(piece);
        }
    }
    return out.error() == QFileDevice::NoError &&
           (!withSub || outSub.error() == QFileDevice::NoError);
}
