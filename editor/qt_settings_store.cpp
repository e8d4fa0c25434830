#include "editor/qt_settings_store.h"

#include <QStringList>

namespace {

QString GroupPath(const std::string& key) {
    QString path = QString::fromStdString(key);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.startsWith(QLatin1Char('/'))) path.remove(0, 1);
    while (path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

QString ValuePath(const std::string& key, const std::string& name) {
    const QString group = GroupPath(key);
    const QString value = QString::fromStdString(name);
    return group.isEmpty() ? value : group + QLatin1Char('/') + value;
}

std::vector<std::string> ToStd(const QStringList& list) {
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(list.size()));
    for (const QString& s : list) out.push_back(s.toStdString());
    return out;
}

}  // namespace

TQtSettingsStore::TQtSettingsStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halcyon Systems"),
                QStringLiteral("Orvane Editor")) {}

TQtSettingsStore::TQtSettingsStore(const QString& fileName)
    : settings_(fileName, QSettings::IniFormat) {}

std::optional<std::string> TQtSettingsStore::ReadString(const std::string& key,
                                                        const std::string& name) const {
    const QVariant v = settings_.value(ValuePath(key, name));
    if (!v.isValid() || !v.canConvert<QString>()) return std::nullopt;
    return v.toString().toStdString();
}

std::optional<int> TQtSettingsStore::ReadInteger(const std::string& key,
                                                 const std::string& name) const {
    const QVariant v = settings_.value(ValuePath(key, name));
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok) return std::nullopt;
    return n;
}

bool TQtSettingsStore::WriteString(const std::string& key, const std::string& name,
                                   const std::string& value) {
    settings_.setValue(ValuePath(key, name), QString::fromStdString(value));
    settings_.sync();
    return settings_.status() == QSettings::NoError && settings_.isWritable();
}

bool TQtSettingsStore::WriteInteger(const std::string& key, const std::string& name, int value) {
    settings_.setValue(ValuePath(key, name), value);
    settings_.sync();
    return settings_.status() == QSettings::NoError && settings_.isWritable();
}

bool TQtSettingsStore::DeleteKey(const std::string& key) {
    const QString group = GroupPath(key);
    if (group.isEmpty()) {
        settings_.clear();
    } else {
        settings_.remove(group);
    }
    settings_.sync();
    return settings_.status() == QSettings::NoError && settings_.isWritable();
}

bool TQtSettingsStore::KeyExists(const std::string& key) const {
    const QString group = GroupPath(key);
    if (group.isEmpty()) return true;
    const int slash = group.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash < 0 ? QString() : group.left(slash);
    const QString leaf = slash < 0 ? group : group.mid(slash + 1);
    settings_.beginGroup(parent);
    const bool found = settings_.childGroups().contains(leaf);
    settings_.endGroup();
    return found;
}

std::vector<std::string> TQtSettingsStore::SubKeys(const std::string& key) const {
    settings_.beginGroup(GroupPath(key));
    const QStringList groups = settings_.childGroups();
    settings_.endGroup();
    return ToStd(groups);
}

std::vector<std::string> TQtSettingsStore::ValueNames(const std::string& key) const {
    settings_.beginGroup(GroupPath(key));
    const QStringList names = settings_.childKeys();
    settings_.endGroup();
    return ToStd(names);
}
