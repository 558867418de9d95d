#pragma once
// A picker of people from the address book: a search field over a list of the book's contacts
// (title, organization), sorted by title, several of which can be selected. The search keeps the
// contacts whose given, family or organization name holds every word typed, whatever the case.
// The list follows the book: when the book's watch reports a change it is read again and the
// selection kept by UID. Main thread only.

#include "runtime/Date.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QTreeView;

namespace tallomer {

class VCardFolder;

// A selected contact as the picker hands it out: made anew at each call, so that two calls are
// compared by UID.
struct PeopleRecord {
    QString uid;
    QString title;
    QString organization;
    std::optional<KELDate> created;
    std::optional<KELDate> modified;
};

// The rows of the list: every contact of the book, sorted by title, and those the search keeps.
class PeopleListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Person {
        QString uid;
        QString title;
        QString organization;
        // Given, family and organization names folded to lower case, one a line: a search word
        // never spans two of them.
        QString key;
    };

    explicit PeopleListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // All the people, in any order (sorted here); the search is applied again.
    void setPeople(std::vector<Person> people);
    // Keeps those whose names hold every word of the text (all when it has none).
    void setSearch(const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Person& personAt(int row) const { return people_[std::size_t(shown_[std::size_t(row)])]; }
    // The row showing that UID; -1 when none does.
    int rowForUid(const QString& uid) const;

private:
    void filter();

    std::vector<Person> people_;
    std::vector<int> shown_; // indexes into people_, in title order
    QStringList words_;
};

class PeoplePicker : public QWidget {
    Q_OBJECT
public:
    // `book` is not owned and may be null (an empty list); once it is gone the list is left as
    // it was and nothing more is asked of it.
    explicit PeoplePicker(VCardFolder* book, QWidget* parent = nullptr);
    ~PeoplePicker() override;

    void setAddressBook(VCardFolder* book);
    VCardFolder* addressBook() const { return bookLife_.expired() ? nullptr : book_; }

    // The selected contacts in row order, each with the book's creation and modification dates.
    QList<PeopleRecord> selectedRecords() const;
    // Their UIDs alone, without asking the book for dates: cheap enough to look at often.
    QStringList selectedUids() const;
    // One listed contact with its dates; absent when no row shows it.
    std::optional<PeopleRecord> recordForUid(const QString& uid) const;
    // Sets the search field's text and lists what it finds.
    void setSearchText(const QString& text);
    QString searchText() const;
    // Reads the book again, keeping the search and the selection (by UID).
    void reload();
    // Selects the rows showing these UIDs, and only them.
    void selectUids(const QStringList& uids);

    QLineEdit* searchField() const { return search_; }
    QTreeView* listView() const { return list_; }
    PeopleListModel* listModel() const { return model_; }

private:
    void searchChanged();
    void addDates(PeopleRecord& r) const;

    VCardFolder* book_ = nullptr; // not owned; read only while bookLife_ holds
    std::weak_ptr<const int> bookLife_;
    int observer_ = 0;
    bool reloading_ = false;
    QLineEdit* search_;
    QTreeView* list_;
    PeopleListModel* model_;
};

} // namespace tallomer
