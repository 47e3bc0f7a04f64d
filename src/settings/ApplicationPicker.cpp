#include "settings/ApplicationPicker.h"

#include <QCollator>
#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <algorithm>

namespace tessaly {

ApplicationPicker::ApplicationPicker(Services services, QObject *parent)
    : QAbstractListModel(parent), m_services(std::move(services))
{}

ApplicationPicker::~ApplicationPicker() = default;

int ApplicationPicker::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant ApplicationPicker::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size())
        return {};
    const PickableApplication &app = m_all.at(m_shown.at(index.row()));
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return app.name;
    case BundleIDRole:
        return app.bundleID;
    case IconSourceRole:
        return app.iconSource;
    case ChosenRole:
        return m_chosen.contains(app.bundleID);
    default:
        return {};
    }
}

QHash<int, QByteArray> ApplicationPicker::roleNames() const
{
    return {{BundleIDRole, "bundleID"},
            {NameRole, "name"},
            {IconSourceRole, "iconSource"},
            {ChosenRole, "chosen"}};
}

void ApplicationPicker::setFilterText(const QString &text)
{
    if (text == m_filter)
        return;
    m_filter = text;
    Q_EMIT filterTextChanged();
    applyFilter();
}

void ApplicationPicker::applyFilter()
{
    beginResetModel();
    m_shown.clear();
    const QString needle = m_filter.trimmed();
    for (int i = 0; i < m_all.size(); ++i) {
        const PickableApplication &app = m_all.at(i);
        if (needle.isEmpty() || app.name.contains(needle, Qt::CaseInsensitive) ||
            app.bundleID.contains(needle, Qt::CaseInsensitive))
            m_shown.append(i);
    }
    endResetModel();
}

void ApplicationPicker::setLoading(bool loading)
{
    if (loading == m_loading)
        return;
    m_loading = loading;
    Q_EMIT isLoadingChanged();
}

void ApplicationPicker::setApplications(QList<PickableApplication> applications)
{
    QCollator collator(QLocale(QStringLiteral("pt_BR")));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(applications.begin(), applications.end(),
                     [&](const PickableApplication &a, const PickableApplication &b) {
                         return collator.compare(a.name, b.name) < 0;
                     });
    m_all = std::move(applications);
    applyFilter();
}

void ApplicationPicker::open()
{
    m_chosen.clear();
    Q_EMIT chosenChanged();
    m_filter.clear();
    Q_EMIT filterTextChanged();
    applyFilter();
    if (!m_services.listApplications)
        return;
    setLoading(true);
    const int generation = ++*m_generation;
    QPointer<ApplicationPicker> self(this);
    auto list = m_services.listApplications;
    QThreadPool::globalInstance()->start([self, list, generation] {
        QList<PickableApplication> applications = list();
        if (!self)
            return;
        // The picker may be destroyed on the main thread at any moment, so it is never touched
        // here: the list goes to the application object, which outlives every picker, and the
        // main thread looks for the picker when it arrives.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, applications = std::move(applications)]() mutable {
                if (!self || *self->m_generation != generation)
                    return;
                self->setApplications(std::move(applications));
                self->setLoading(false);
            },
            Qt::QueuedConnection);
    });
}

void ApplicationPicker::setChosen(int row, bool chosen)
{
    if (row < 0 || row >= m_shown.size())
        return;
    const QString &id = m_all.at(m_shown.at(row)).bundleID;
    if (chosen == m_chosen.contains(id))
        return;
    if (chosen)
        m_chosen.append(id);
    else
        m_chosen.removeAll(id);
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {ChosenRole});
    Q_EMIT chosenChanged();
}

void ApplicationPicker::confirm()
{
    if (!m_chosen.isEmpty())
        Q_EMIT chosen(m_chosen);
}

void ApplicationPicker::chooseFiles()
{
    if (!m_services.chooseFiles)
        return;
    QPointer<ApplicationPicker> self(this);
    m_services.chooseFiles([self](const QStringList &paths) {
        if (!self)
            return;
        if (const QStringList ids = self->bundleIDsOfFiles(paths); !ids.isEmpty())
            Q_EMIT self->chosen(ids);
    });
}

QStringList ApplicationPicker::bundleIDsOfFiles(const QStringList &paths) const
{
    QStringList ids;
    if (!m_services.bundleIDOfFile)
        return ids;
    for (const QString &path : paths) {
        if (const auto id = m_services.bundleIDOfFile(path); id && !id->isEmpty())
            ids.append(*id);
    }
    return ids;
}

} // namespace tessaly
