#pragma once
// The user's preferences: keys written to a settings file under $XDG_CONFIG_HOME/Tallomer/,
// over a layer of registered values that are answered but never written.
//
// A key answers, in order: its written value, its registered value, nothing (an invalid QVariant).
// When a key has a registered value, a written value is answered in the registered value's type
// (the settings file keeps numbers and booleans as text).
//
// Observers of a key are called after every change of the value the key answers, through
// setValue, remove or valueWritingDefault; writing the value a key already answers changes
// nothing and calls nobody, so an observer may write its own key without looping.

#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace tallomer {

using DefaultsObserver = std::function<void(const QString& key, const QVariant& value)>;
// 0 is never a token.
using DefaultsToken = std::uint64_t;

class UserDefaults {
public:
    // The user's settings file: $XDG_CONFIG_HOME/Tallomer/Tallomer.conf.
    UserDefaults();
    // A settings file of the caller's choosing (tests).
    explicit UserDefaults(const QString& filePath);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The process-wide instance on the user's settings file, created on first use.
    static UserDefaults& standard();

    // Adds (or replaces) registered values. Observers of keys whose answer changes are called.
    void registerDefaults(const QVariantMap& values);

    QVariant value(const QString& key) const;
    bool hasValue(const QString& key) const { return value(key).isValid(); }
    // Whether the key is written in the file (registered values do not count).
    bool isWritten(const QString& key) const;

    // An invalid value removes the key.
    void setValue(const QString& key, const QVariant& value);
    // Answers the key's value; a key that answers nothing is first written with `fallback`.
    QVariant valueWritingDefault(const QString& key, const QVariant& fallback);
    // Removes the written value; the key answers its registered value again, if any.
    void remove(const QString& key);

    DefaultsToken observe(const QString& key, DefaultsObserver observer);
    // Unknown or already removed tokens are ignored.
    void unobserve(DefaultsToken token);

    // Writes pending changes to the file now (they are otherwise written from the event loop or
    // when this object dies). False when the file could not be written, now or at an earlier
    // write of this run: the file then holds what it held before.
    bool sync();
    QString fileName() const;

private:
    QVariant written(const QString& key) const;
    void notify(const QString& key, const QVariant& before);

    std::unique_ptr<QSettings> settings_;
    QVariantMap registered_;
    struct Observation {
        QString key;
        DefaultsObserver fn;
    };
    std::map<DefaultsToken, Observation> observers_;
    DefaultsToken nextToken_ = 1;
};

// The shared user-defaults controller: the values of a UserDefaults over a last layer of initial
// values, which are set, answered and observed, but never written.
class UserDefaultsController {
public:
    // `defaults` is not owned and must outlive the controller.
    explicit UserDefaultsController(UserDefaults& defaults);
    ~UserDefaultsController();
    UserDefaultsController(const UserDefaultsController&) = delete;
    UserDefaultsController& operator=(const UserDefaultsController&) = delete;

    // The process-wide controller on UserDefaults::standard().
    static UserDefaultsController& shared();

    UserDefaults& defaults() const { return defaults_; }

    // Adds (or replaces) initial values, keeping those of other keys: several classes each set
    // their own keys' initial values, and one must not wipe out another's. Observers of keys
    // whose answer changes are called.
    void setInitialValues(const QVariantMap& values);
    const QVariantMap& initialValues() const { return initial_; }

    // The defaults' value of the key, else its initial value.
    QVariant values(const QString& key) const;
    // Writes through to the defaults.
    void setValue(const QString& key, const QVariant& value);

    DefaultsToken observe(const QString& key, DefaultsObserver observer);
    void unobserve(DefaultsToken token);

private:
    struct Observation {
        QString key;
        DefaultsObserver fn;
        DefaultsToken inner; // the observation of the same key on defaults_
        QVariant last;       // the value this observer was last told about (or started with)
    };
    void refresh(DefaultsToken token);

    UserDefaults& defaults_; // non-owning
    QVariantMap initial_;
    std::map<DefaultsToken, Observation> observers_;
    DefaultsToken nextToken_ = 1;
};

} // namespace tallomer
