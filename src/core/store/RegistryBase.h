#pragma once

#include <QByteArray>
#include <QHash>
#include <QLockFile>
#include <QSet>
#include <QSettings>
#include <QString>

#include <memory>

// A handle of a key in the store: the key's path below the product key.
// A default-constructed handle is "none" (a key that could not be opened).
class RegKey
{
public:
    RegKey() = default;
    explicit RegKey(QString path) : m_path(std::move(path)), m_valid(true) {}

    bool isValid() const { return m_valid; }
    // "" for the product key itself, else "A/B/C".
    const QString &path() const { return m_path; }

private:
    QString m_path;
    bool m_valid = false;
};

// Value types as the store records them.
enum class RegType : quint32
{
    None = 0,
    String = 1, // REG_SZ: text bytes and a terminating zero
    DWord = 4,  // REG_DWORD: a 32-bit number
};

// The store's operations on a tree of named keys holding named text and
// 32-bit number values, kept in QSettings: on Windows the registry branch
// Software\<maker>\<product> of the current user, elsewhere an INI file in the
// user's config folder. Changes are kept in memory and written to disk as a
// whole, in one atomic replace, by commit() or at destruction, so a reader
// sees either all of one step's changes or none of them.
class CRegistryBase
{
public:
    CRegistryBase(const QString &makerKey, const QString &productKey);
    virtual ~CRegistryBase();
    CRegistryBase(const CRegistryBase &) = delete;
    CRegistryBase &operator=(const CRegistryBase &) = delete;

    virtual RegKey GetKey() const = 0;

    // Each operation takes an optional parent key; none means the product key.
    RegKey CreateKey(const QString &subkey, const RegKey *parent = nullptr);
    RegKey OpenKey(const QString &subkey, const RegKey *parent = nullptr);
    // 0 on success, else an error code (2: not found, 6: no open key).
    long QueryValue(const QString &name, RegType *type, QByteArray *data,
                    const RegKey *parent = nullptr);
    quint32 GetDWord(const QString &name, quint32 defaultValue, const RegKey *parent = nullptr);
    long GetString(const QString &name, QByteArray *out, const QByteArray &defaultValue,
                   const RegKey *parent = nullptr);
    bool SetValue(const QString &name, RegType type, const QByteArray &data,
                  const RegKey *parent = nullptr);
    bool SetDWord(const QString &name, quint32 value, const RegKey *parent = nullptr);
    bool SetString(const QString &name, const QByteArray &text, const RegKey *parent = nullptr);
    bool EnumKey(int index, QString *name, const RegKey *parent = nullptr);
    bool DeleteKey(const QString &subkey, const RegKey *parent = nullptr);

    // Writes the pending changes to disk in one step; false when that failed:
    // the file then still holds what it held before, and the changes stay
    // pending in this process until a later step writes them.
    bool commit();
    // Replaces the backup copy with the store as it is now: after a
    // password left the store for the keyring, the copy must not keep it.
    bool refreshBackup();
    // Path of the store's file (on Windows, the registry key's name).
    QString location() const;
    // Why the store file, which exists, cannot be read: not a plain file, or
    // no right to read it. Reads then give the defaults and every write is
    // refused, so that the file is never replaced by an empty store. Empty
    // when it was read (or is yet to be created).
    const QString &readError() const { return m_readError; }
    // Why the last write failed (the reason of the system where there is
    // one); empty when nothing failed.
    const QString &error() const { return m_error; }

    static constexpr long ErrorNotFound = 2;
    static constexpr long ErrorInvalidHandle = 6;
    // How long a store waits for another process's step to end. Past it the
    // store reads but writes nothing: every write and commit() fail with the
    // reason.
    static constexpr int kLockWaitMs = 10000;
    // Test seam: a shorter wait, so that a lock held past it is quick to test.
    static void setLockWaitMsForTest(int ms);

protected:
    // The open product key's path, or none when the store could not be opened.
    RegKey productKey() const;

private:
    bool resolve(const RegKey *parent, QString *path) const;
    bool keyExists(const QString &path) const;
    struct Subkeys
    {
        QStringList ordered;
        QSet<QString> names;
    };
    const Subkeys &storedSubkeys(const QString &path) const;
    bool beforeWrite();
    bool keepBackup(const QString &file);
    bool fail(const QString &why);
    void openFailed(const QString &file);

    std::shared_ptr<QLockFile> m_lock;
    std::unique_ptr<QSettings> m_settings;
    QString m_makerKey;
    QString m_productKey;
    QString m_readError;
    QString m_error;
    // Why the lock on whole steps was not had; empty when it was.
    QString m_lockError;
    // Keys created in this session: an INI file keeps no empty groups.
    QSet<QString> m_createdKeys;
    // Subkeys of a key as the settings hold them; values never change that,
    // created keys are in m_createdKeys, and a deletion clears it.
    mutable QHash<QString, Subkeys> m_subkeyCache;
};
