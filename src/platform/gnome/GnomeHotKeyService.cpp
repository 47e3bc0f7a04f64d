#include "platform/gnome/GnomeHotKeyService.h"

#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace tessaly::gnome {

namespace {

const QString mediaKeys = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString customKeybinding =
    QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
// The keybindings of the window manager, the shell and the settings daemon, where installed.
const QStringList keybindingSchemas = {
    QStringLiteral("org.gnome.desktop.wm.keybindings"),
    QStringLiteral("org.gnome.mutter.keybindings"),
    QStringLiteral("org.gnome.mutter.wayland.keybindings"),
    QStringLiteral("org.gnome.shell.keybindings"),
    mediaKeys,
};
// Each run of gsettings may take this long.
constexpr int gsettingsTimeoutMs = 2000;

// The keys with a fixed name, by key position, as GNOME names them.
const QHash<quint16, QString> &namedKeys()
{
    static const QHash<quint16, QString> keys = [] {
        QHash<quint16, QString> table = {
            {KeyPosition::Return, QStringLiteral("Return")},
            {KeyPosition::KeypadEnter, QStringLiteral("KP_Enter")},
            {KeyPosition::Tab, QStringLiteral("Tab")},
            {KeyPosition::Space, QStringLiteral("space")},
            {KeyPosition::Backspace, QStringLiteral("BackSpace")},
            {KeyPosition::Escape, QStringLiteral("Escape")},
            {KeyPosition::ForwardDelete, QStringLiteral("Delete")},
            {KeyPosition::Insert, QStringLiteral("Insert")},
            {KeyPosition::Home, QStringLiteral("Home")},
            {KeyPosition::End, QStringLiteral("End")},
            {KeyPosition::PageUp, QStringLiteral("Page_Up")},
            {KeyPosition::PageDown, QStringLiteral("Page_Down")},
            {KeyPosition::LeftArrow, QStringLiteral("Left")},
            {KeyPosition::RightArrow, QStringLiteral("Right")},
            {KeyPosition::DownArrow, QStringLiteral("Down")},
            {KeyPosition::UpArrow, QStringLiteral("Up")},
        };
        const QList<quint16> &functionKeys = KeyboardLayout::functionKeyCodes();
        for (int i = 0; i < functionKeys.size(); ++i)
            table.insert(functionKeys[i], QStringLiteral("F%1").arg(i + 1));
        return table;
    }();
    return keys;
}

// An accelerator's modifiers, each under one name, and its key, lower-cased.
std::pair<QSet<QString>, QString> partsOf(const QString &accelerator)
{
    static const QHash<QString, QString> aliases = {
        {QStringLiteral("control"), QStringLiteral("control")},
        {QStringLiteral("ctrl"), QStringLiteral("control")},
        {QStringLiteral("primary"), QStringLiteral("control")},
        {QStringLiteral("shift"), QStringLiteral("shift")},
        {QStringLiteral("alt"), QStringLiteral("alt")},
        {QStringLiteral("mod1"), QStringLiteral("alt")},
        {QStringLiteral("super"), QStringLiteral("super")},
        {QStringLiteral("mod4"), QStringLiteral("super")},
        {QStringLiteral("meta"), QStringLiteral("meta")},
        {QStringLiteral("hyper"), QStringLiteral("hyper")},
    };
    static const QRegularExpression modifier(QStringLiteral("<([A-Za-z0-9]+)>"));
    QSet<QString> modifiers;
    qsizetype end = 0;
    for (auto it = modifier.globalMatch(accelerator); it.hasNext();) {
        const auto match = it.next();
        if (match.capturedStart() != end)
            break;
        const QString name = match.captured(1).toLower();
        modifiers.insert(aliases.value(name, name));
        end = match.capturedEnd();
    }
    return {modifiers, accelerator.mid(end).trimmed().toLower()};
}

} // namespace

GnomeHotKeyService::GnomeHotKeyService(const QString &toggleCommand, Gsettings gsettings)
    : m_command(toggleCommand), m_gsettings(std::move(gsettings))
{}

QString GnomeHotKeyService::bindingPath()
{
    return QStringLiteral(
        "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/br-com-norvale-tessaly/");
}

std::optional<QString> GnomeHotKeyService::runGsettings(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("gsettings"), arguments);
    if (!process.waitForFinished(gsettingsTimeoutMs)) {
        process.kill();
        process.waitForFinished(gsettingsTimeoutMs);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    // Far more than any list of keybindings.
    return QString::fromUtf8(process.readAllStandardOutput().left(1024 * 1024));
}

bool GnomeHotKeyService::isAvailable(const Gsettings &gsettings)
{
    const auto writable =
        gsettings({QStringLiteral("writable"), mediaKeys, QStringLiteral("custom-keybindings")});
    return writable && writable->trimmed() == QLatin1String("true");
}

std::optional<QString> GnomeHotKeyService::acceleratorOf(const HotKeyCombo &combo)
{
    QString key = namedKeys().value(combo.keyCode);
    if (key.isEmpty()) {
        const auto character = KeyboardLayout::character(combo.keyCode);
        if (!character || character->size() != 1 || !character->at(0).isLetterOrNumber())
            return std::nullopt;
        key = character->toLower();
    }
    // The command keys are Ctrl, the control keys Super, the option keys Alt.
    QString accelerator;
    if (combo.hasCommand())
        accelerator += QStringLiteral("<Control>");
    if (combo.hasControl())
        accelerator += QStringLiteral("<Super>");
    if (combo.hasOption())
        accelerator += QStringLiteral("<Alt>");
    if (combo.hasShift())
        accelerator += QStringLiteral("<Shift>");
    return accelerator + key;
}

bool GnomeHotKeyService::sameAccelerator(const QString &a, const QString &b)
{
    const auto [modifiersA, keyA] = partsOf(a);
    const auto [modifiersB, keyB] = partsOf(b);
    return !keyA.isEmpty() && keyA == keyB && modifiersA == modifiersB;
}

QStringList GnomeHotKeyService::stringsOf(const QString &variant)
{
    static const QRegularExpression quoted(QStringLiteral(R"('((?:[^'\\]|\\.)*)')"));
    QStringList strings;
    for (auto it = quoted.globalMatch(variant); it.hasNext();)
        strings.append(it.next().captured(1));
    return strings;
}

bool GnomeHotKeyService::isTakenElsewhere(const QString &accelerator) const
{
    const auto installed = m_gsettings({QStringLiteral("list-schemas")});
    const QStringList schemas =
        installed ? installed->split(u'\n', Qt::SkipEmptyParts) : QStringList();
    for (const QString &schema : keybindingSchemas) {
        if (!schemas.contains(schema))
            continue;
        // Lines of "schema key value"; the values of keybindings are accelerators.
        const auto keys = m_gsettings({QStringLiteral("list-recursively"), schema});
        for (const QString &line : keys ? keys->split(u'\n') : QStringList()) {
            for (const QString &value : stringsOf(line)) {
                if (sameAccelerator(value, accelerator))
                    return true;
            }
        }
    }
    const auto custom =
        m_gsettings({QStringLiteral("get"), mediaKeys, QStringLiteral("custom-keybindings")});
    for (const QString &path : custom ? stringsOf(*custom) : QStringList()) {
        if (path == bindingPath())
            continue;
        const auto binding = m_gsettings(
            {QStringLiteral("get"), customKeybinding + u':' + path, QStringLiteral("binding")});
        const QStringList value = binding ? stringsOf(*binding) : QStringList();
        if (!value.isEmpty() && sameAccelerator(value.first(), accelerator))
            return true;
    }
    return false;
}

namespace {

// A string as a GVariant literal.
QString quote(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + escaped + u'\'';
}

} // namespace

bool GnomeHotKeyService::grab(const HotKeyCombo &combo)
{
    const auto accelerator = acceleratorOf(combo);
    // Grabbing again what is written already (after a suspension) costs nothing.
    if (accelerator && accelerator == m_written)
        return true;
    const QString schema = customKeybinding + u':' + bindingPath();
    if (!accelerator || isTakenElsewhere(*accelerator)) {
        // Nothing stays reserved: the previous combination no longer opens the panel.
        m_gsettings({QStringLiteral("set"), schema, QStringLiteral("binding"), quote(QString())});
        m_written.reset();
        return false;
    }
    if (!m_gsettings({QStringLiteral("set"), schema, QStringLiteral("name"),
                      quote(QStringLiteral("Tessaly: abrir ou fechar o histórico"))}) ||
        !m_gsettings(
            {QStringLiteral("set"), schema, QStringLiteral("command"), quote(m_command)}) ||
        !m_gsettings(
            {QStringLiteral("set"), schema, QStringLiteral("binding"), quote(*accelerator)}))
        return false;
    // The binding counts once it is in GNOME's list of custom keybindings.
    const auto listed =
        m_gsettings({QStringLiteral("get"), mediaKeys, QStringLiteral("custom-keybindings")});
    if (!listed)
        return false;
    QStringList paths = stringsOf(*listed);
    if (!paths.contains(bindingPath())) {
        paths.append(bindingPath());
        QStringList quoted;
        for (const QString &path : std::as_const(paths))
            quoted.append(quote(path));
        if (!m_gsettings({QStringLiteral("set"), mediaKeys, QStringLiteral("custom-keybindings"),
                          u'[' + quoted.join(QStringLiteral(", ")) + u']'}))
            return false;
    }
    m_written = accelerator;
    return true;
}

void GnomeHotKeyService::ungrab()
{
    // The keybinding belongs to the user's settings, as the recorded combination does: the
    // next grab rewrites it.
}

} // namespace tessaly::gnome
