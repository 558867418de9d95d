#include "platform/contacts/PeoplePicker.h"

#include "platform/contacts/VCardFolder.h"

#include <QCollator>
#include <QHeaderView>
#include <QItemSelection>
#include <QLineEdit>
#include <QSet>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace tallomer {

// ---- the rows -----------------------------------------------------------------------------------

void PeopleListModel::setPeople(std::vector<Person> people)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    // Sort keys once each: a few thousand comparisons of keys instead of collations. Folded
    // first: the C locale's collation would put every capital before every small letter.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(people.size());
    for (const Person& p : people)
        keys.push_back(collator.sortKey(p.title.toCaseFolded()));
    std::vector<int> order(people.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = keys[std::size_t(a)].compare(keys[std::size_t(b)]);
        return c != 0 ? c < 0 : people[std::size_t(a)].uid < people[std::size_t(b)].uid;
    });
    std::vector<Person> sorted;
    sorted.reserve(people.size());
    for (int i : order)
        sorted.push_back(std::move(people[std::size_t(i)]));
    beginResetModel();
    people_ = std::move(sorted);
    filter();
    endResetModel();
}

void PeopleListModel::setSearch(const QString& text)
{
    QStringList words = text.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& w : words)
        w = w.trimmed();
    words.removeAll(QString());
    if (words == words_)
        return;
    beginResetModel();
    words_ = std::move(words);
    filter();
    endResetModel();
}

void PeopleListModel::filter()
{
    shown_.clear();
    shown_.reserve(people_.size());
    for (std::size_t i = 0; i < people_.size(); ++i) {
        const QString& key = people_[i].key;
        const bool kept = std::all_of(words_.cbegin(), words_.cend(),
                                      [&](const QString& w) { return key.contains(w); });
        if (kept)
            shown_.push_back(int(i));
    }
}

int PeopleListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int PeopleListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant PeopleListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(shown_.size()) || role != Qt::DisplayRole)
        return {};
    const Person& p = personAt(index.row());
    return index.column() == 0 ? p.title : p.organization;
}

QVariant PeopleListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Company");
}

int PeopleListModel::rowForUid(const QString& uid) const
{
    for (std::size_t r = 0; r < shown_.size(); ++r)
        if (people_[std::size_t(shown_[r])].uid == uid)
            return int(r);
    return -1;
}

// ---- the picker ---------------------------------------------------------------------------------

PeoplePicker::PeoplePicker(VCardFolder* book, QWidget* parent)
    : QWidget(parent), search_(new QLineEdit(this)), list_(new QTreeView(this)), model_(new PeopleListModel(this))
{
    setObjectName(QStringLiteral("peoplePicker"));
    search_->setObjectName(QStringLiteral("peopleSearchField"));
    search_->setPlaceholderText(QStringLiteral("Search"));
    search_->setClearButtonEnabled(true);
    list_->setObjectName(QStringLiteral("peopleList"));
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setItemsExpandable(false);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setStretchLastSection(true);
    list_->header()->resizeSection(0, 220);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(search_);
    layout->addWidget(list_, 1);
    connect(search_, &QLineEdit::textChanged, this, [this] { searchChanged(); });
    setAddressBook(book);
}

PeoplePicker::~PeoplePicker()
{
    if (VCardFolder* book = addressBook())
        book->removeChangeObserver(observer_);
}

void PeoplePicker::setAddressBook(VCardFolder* book)
{
    if (VCardFolder* previous = addressBook())
        previous->removeChangeObserver(observer_);
    book_ = book;
    bookLife_ = book_ ? book_->lifetime() : std::weak_ptr<const int>();
    observer_ = book_ ? book_->addChangeObserver([this] { reload(); }) : 0;
    reload();
}

void PeoplePicker::reload()
{
    // Reading the book may look at its folder and tell of a change: that one is this reload.
    if (reloading_ || (book_ && bookLife_.expired()))
        return;
    reloading_ = true;
    const QStringList kept = selectedUids();
    std::vector<PeopleListModel::Person> people;
    if (VCardFolder* book = addressBook()) {
        const std::vector<const VCard*> cards = book->cards();
        people.reserve(cards.size());
        for (const VCard* card : cards) {
            QString key = card->givenName.toLower();
            key += QLatin1Char('\n');
            key += card->familyName.toLower();
            key += QLatin1Char('\n');
            key += card->organization.toLower();
            people.push_back({card->uid, vcardTitle(*card), card->organization, std::move(key)});
        }
    }
    model_->setPeople(std::move(people));
    selectUids(kept);
    reloading_ = false;
}

QStringList PeoplePicker::selectedUids() const
{
    QStringList out;
    if (!list_->selectionModel())
        return out;
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows)
        out << model_->personAt(i.row()).uid;
    return out;
}

void PeoplePicker::selectUids(const QStringList& uids)
{
    QItemSelection selection;
    if (!uids.isEmpty()) {
        // One pass over the rows, whatever the number kept.
        const QSet<QString> wanted(uids.cbegin(), uids.cend());
        const int last = model_->columnCount() - 1;
        for (int row = 0, n = model_->rowCount(); row < n; ++row)
            if (wanted.contains(model_->personAt(row).uid))
                selection.select(model_->index(row, 0), model_->index(row, last));
    }
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QList<PeopleRecord> PeoplePicker::selectedRecords() const
{
    QList<PeopleRecord> out;
    if (!list_->selectionModel())
        return out;
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows) {
        const PeopleListModel::Person& p = model_->personAt(i.row());
        out << PeopleRecord{p.uid, p.title, p.organization, std::nullopt, std::nullopt};
    }
    // The dates last: asking the book may have it look at its folder and the list be read again.
    for (PeopleRecord& r : out)
        addDates(r);
    return out;
}

std::optional<PeopleRecord> PeoplePicker::recordForUid(const QString& uid) const
{
    const int row = model_->rowForUid(uid);
    if (row < 0)
        return std::nullopt;
    const PeopleListModel::Person& p = model_->personAt(row);
    PeopleRecord r{p.uid, p.title, p.organization, std::nullopt, std::nullopt};
    addDates(r);
    return r;
}

void PeoplePicker::addDates(PeopleRecord& r) const
{
    if (VCardFolder* book = addressBook())
        if (const std::optional<VCardDates> dates = book->datesForUid(r.uid)) {
            r.created = dates->created;
            r.modified = dates->modified;
        }
}

void PeoplePicker::setSearchText(const QString& text)
{
    search_->setText(text);
    searchChanged();
}

QString PeoplePicker::searchText() const { return search_->text(); }

void PeoplePicker::searchChanged()
{
    // What was selected and is still listed stays selected.
    const QStringList kept = selectedUids();
    model_->setSearch(search_->text());
    selectUids(kept);
}

} // namespace tallomer
