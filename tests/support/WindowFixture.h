#pragma once

#include "FakeUiServices.h"

#include <QByteArray>
#include <QFile>
#include <QProcessEnvironment>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A temporary folder holding the store (QSettings' user scope) and the data
// folder with the rosters ("data", as XDG_DATA_HOME) while it lives, so that
// a test never reads or writes the owner's own.
class TemporaryStore : public QTemporaryDir
{
public:
    TemporaryStore()
    {
        if (!isValid())
            return;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    }

    // The environment in which another program finds this same store.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
        return env;
    }

private:
    QString dataHome() const { return filePath(QStringLiteral("data")); }
};

// Where every window test starts: its own store in a fresh temporary folder
// and fresh scripted answers. A test class derives from it (after QObject)
// and calls startWindowTest() from init().
class WindowFixture
{
protected:
    // A new folder and new answers for the next test function; false when
    // the folder could not be made.
    [[nodiscard]] bool startWindowTest()
    {
        m_dir = std::make_unique<TemporaryStore>();
        m_ui = FakeUiServices();
        return m_dir->isValid();
    }

    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<TemporaryStore> m_dir;
    FakeUiServices m_ui;
};
