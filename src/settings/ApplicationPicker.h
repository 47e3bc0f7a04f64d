#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

namespace tessaly {

// An installed application the picker offers.
struct PickableApplication
{
    QString bundleID;
    QString name;
    QUrl iconSource; // empty when it has no icon
};

// The applications the user may add to the ignore list: the installed ones, listed by name,
// filtered by what the search field holds (name or identifier), several of them chosen at once.
// The list is read on a worker thread each time the picker opens (the applications directories
// may be slow or large); a desktop entry file chosen in a file dialog also gives an identifier.
// Main thread only, apart from the listing function.
class ApplicationPicker : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings view")
    Q_PROPERTY(QString filterText READ filterText WRITE setFilterText NOTIFY filterTextChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(int chosenCount READ chosenCount NOTIFY chosenChanged)

public:
    enum Role
    {
        BundleIDRole = Qt::UserRole + 1,
        NameRole,
        IconSourceRole,
        ChosenRole,
    };

    struct Services
    {
        // The installed applications, in any order. Runs on a worker thread.
        std::function<QList<PickableApplication>()> listApplications;
        // The identifier of the application a desktop entry file describes; absent when the
        // file is not an application's entry.
        std::function<std::optional<QString>(const QString &path)> bundleIDOfFile;
        // Shows a file dialog for desktop entry files; calls back with the chosen paths (none
        // when cancelled).
        std::function<void(std::function<void(const QStringList &)>)> chooseFiles;
    };

    explicit ApplicationPicker(Services services, QObject *parent = nullptr);
    ~ApplicationPicker() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString filterText() const { return m_filter; }
    void setFilterText(const QString &text);
    bool isLoading() const { return m_loading; }
    int chosenCount() const { return int(m_chosen.size()); }
    // The chosen identifiers, in the order the user chose them.
    QStringList chosenIDs() const { return m_chosen; }

    // Forgets the last choice and reads the installed applications again.
    Q_INVOKABLE void open();
    Q_INVOKABLE void setChosen(int row, bool chosen);
    // "Ignorar": hands the chosen identifiers over (chosen()).
    Q_INVOKABLE void confirm();
    // "Escolher arquivo…": the identifiers of the chosen desktop entry files are handed over.
    Q_INVOKABLE void chooseFiles();
    // The identifiers of desktop entry files, in order; files that are not an application's
    // entry are skipped.
    QStringList bundleIDsOfFiles(const QStringList &paths) const;

    // Installs the listing's result (tests; open() does it when the worker is done).
    void setApplications(QList<PickableApplication> applications);

Q_SIGNALS:
    void filterTextChanged();
    void isLoadingChanged();
    void chosenChanged();
    // The user confirmed: these identifiers go on the ignore list, in this order.
    void chosen(const QStringList &bundleIDs);

private:
    void applyFilter();
    void setLoading(bool loading);

    Services m_services;
    QList<PickableApplication> m_all;
    QList<int> m_shown; // indexes into m_all
    QStringList m_chosen;
    QString m_filter;
    bool m_loading = false;
    // Tells a listing that arrives after a newer one was asked for.
    std::shared_ptr<int> m_generation = std::make_shared<int>(0);
};

} // namespace tessaly
