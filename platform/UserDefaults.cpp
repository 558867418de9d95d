#include "platform/UserDefaults.h"

#include "runtime/Log.h"
#include "platform/AppId.h"

#include <vector>

namespace tallomer {

namespace {

// Answers `raw` in the type of `like` when it converts; the settings file gives back text for
// numbers and booleans, and callers compare with what they registered.
QVariant inTypeOf(const QVariant& raw, const QVariant& like)
{
    if (!raw.isValid() || !like.isValid() || raw.metaType() == like.metaType())
        return raw;
    QVariant converted = raw;
    if (converted.convert(like.metaType()))
        return converted;
    return raw;
}

bool sameAnswer(const QVariant& a, const QVariant& b)
{
    if (a.isValid() != b.isValid())
        return false;
    return !a.isValid() || a == b;
}

} // namespace

UserDefaults::UserDefaults()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(kAppName),
                                            QString::fromLatin1(kAppName)))
{
}

UserDefaults::UserDefaults(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

UserDefaults::~UserDefaults() { settings_->sync(); }

UserDefaults& UserDefaults::standard()
{
    static UserDefaults instance;
    return instance;
}

QVariant UserDefaults::written(const QString& key) const
{
    return !key.isEmpty() && settings_->contains(key) ? settings_->value(key) : QVariant();
}

QVariant UserDefaults::value(const QString& key) const
{
    const auto reg = registered_.constFind(key);
    const QVariant like = reg != registered_.constEnd() ? reg.value() : QVariant();
    const QVariant stored = written(key);
    if (stored.isValid())
        return inTypeOf(stored, like);
    return like;
}

bool UserDefaults::isWritten(const QString& key) const
{
    return !key.isEmpty() && settings_->contains(key);
}

void UserDefaults::registerDefaults(const QVariantMap& values)
{
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const QVariant before = value(it.key());
        registered_.insert(it.key(), it.value());
        notify(it.key(), before);
    }
}

void UserDefaults::setValue(const QString& key, const QVariant& v)
{
    if (key.isEmpty()) {
        logLine("UserDefaults setValue: empty key ignored");
        return;
    }
    if (!v.isValid()) {
        remove(key);
        return;
    }
    const QVariant before = value(key);
    settings_->setValue(key, v);
    notify(key, before);
}

QVariant UserDefaults::valueWritingDefault(const QString& key, const QVariant& fallback)
{
    const QVariant current = value(key);
    if (current.isValid())
        return inTypeOf(current, fallback);
    setValue(key, fallback);
    return fallback;
}

void UserDefaults::remove(const QString& key)
{
    if (key.isEmpty() || !settings_->contains(key))
        return;
    const QVariant before = value(key);
    settings_->remove(key);
    notify(key, before);
}

DefaultsToken UserDefaults::observe(const QString& key, DefaultsObserver observer)
{
    const DefaultsToken token = nextToken_++;
    observers_.emplace(token, Observation{key, std::move(observer)});
    return token;
}

void UserDefaults::unobserve(DefaultsToken token) { observers_.erase(token); }

void UserDefaults::notify(const QString& key, const QVariant& before)
{
    if (sameAnswer(before, value(key)))
        return;
    // Observers may observe, unobserve or write while they are told: walk a snapshot of the
    // tokens, skip those gone meanwhile, and call a copy (the original may die during the call).
    std::vector<DefaultsToken> tokens;
    for (const auto& [token, o] : observers_)
        if (o.key == key)
            tokens.push_back(token);
    for (const DefaultsToken token : tokens) {
        const auto it = observers_.find(token);
        if (it == observers_.end())
            continue;
        const DefaultsObserver fn = it->second.fn;
        if (fn)
            fn(key, value(key));
    }
}

bool UserDefaults::sync()
{
    settings_->sync();
    // The file is replaced whole or not at all: a refused write leaves the old one as it was.
    return settings_->status() != QSettings::AccessError;
}

QString UserDefaults::fileName() const { return settings_->fileName(); }

// ---------------------------------------------------------------------------------------------

UserDefaultsController::UserDefaultsController(UserDefaults& defaults) : defaults_(defaults) {}

UserDefaultsController::~UserDefaultsController()
{
    for (const auto& [token, o] : observers_)
        defaults_.unobserve(o.inner);
}

UserDefaultsController& UserDefaultsController::shared()
{
    static UserDefaultsController instance(UserDefaults::standard());
    return instance;
}

void UserDefaultsController::setInitialValues(const QVariantMap& values)
{
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        initial_.insert(it.key(), it.value());
    std::vector<DefaultsToken> tokens;
    for (const auto& [token, o] : observers_)
        if (values.contains(o.key))
            tokens.push_back(token);
    for (const DefaultsToken token : tokens)
        refresh(token);
}

QVariant UserDefaultsController::values(const QString& key) const
{
    const auto init = initial_.constFind(key);
    const QVariant like = init != initial_.constEnd() ? init.value() : QVariant();
    const QVariant v = defaults_.value(key);
    if (v.isValid())
        return inTypeOf(v, like);
    return like;
}

void UserDefaultsController::setValue(const QString& key, const QVariant& value)
{
    defaults_.setValue(key, value);
}

DefaultsToken UserDefaultsController::observe(const QString& key, DefaultsObserver observer)
{
    const DefaultsToken token = nextToken_++;
    const DefaultsToken inner =
        defaults_.observe(key, [this, token](const QString&, const QVariant&) { refresh(token); });
    observers_.emplace(token, Observation{key, std::move(observer), inner, values(key)});
    return token;
}

void UserDefaultsController::unobserve(DefaultsToken token)
{
    const auto it = observers_.find(token);
    if (it == observers_.end())
        return;
    defaults_.unobserve(it->second.inner);
    observers_.erase(it);
}

void UserDefaultsController::refresh(DefaultsToken token)
{
    const auto it = observers_.find(token);
    if (it == observers_.end())
        return;
    const QVariant now = values(it->second.key);
    if (sameAnswer(now, it->second.last))
        return;
    it->second.last = now;
    const DefaultsObserver fn = it->second.fn;
    const QString key = it->second.key;
    if (fn)
        fn(key, now);
}

} // namespace tallomer
