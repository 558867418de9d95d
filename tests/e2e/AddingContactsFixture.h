#pragma once
// The running program ready to take people into its Contacts panel: a new user's home whose
// address book folder holds four cards (each with a revision date some weeks back), the program
// started with the time bar on, and the Contacts panel opened from its button in the entity bar.
// Opening a contact goes to the test, never to a desktop program; beeps are counted.

#include "tests/e2e/E2EFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/contacts/ZEVPersonViewer.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/desktop/ContactOpener.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QClipboard>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QDir>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace e2e {

class AddingContacts : public E2EWithSound<RecordingSound> {
protected:
    static constexpr KELId kContactsEntity = KELENTITY_PERSON_VIEWER;
    static constexpr KELId kHome = 2000018;

    struct Person {
        const char* uid;
        const char* family;
        const char* given;
        const char* title; // as the book titles the card
    };
    // The four people of the book, in the order of their titles.
    static constexpr std::array<Person, 4> kPeople{{{"ann-add", "Ames", "Ann", "Ann Ames"},
                                                    {"bob-add", "Bell", "Bob", "Bob Bell"},
                                                    {"cid-add", "Cole", "Cid", "Cid Cole"},
                                                    {"dee-add", "Dunn", "Dee", "Dee Dunn"}}};

    // A card as an address book writes it, with a revision date when one is given.
    static QByteArray cardOf(const QByteArray& uid, const QByteArray& family, const QByteArray& given,
                             const QDateTime& revision = QDateTime())
    {
        QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + family + ";" + given + ";;;\r\nFN:" +
                          given + " " + family + "\r\n";
        if (revision.isValid())
            card += "REV:" + revision.toUTC().toString(QStringLiteral("yyyyMMddTHHmmssZ")).toLatin1() + "\r\n";
        return card + "END:VCARD\r\n";
    }
    // The revision of the i-th person of the book: (i + 1) x 10 days before the test began.
    QDateTime revisionOf(std::size_t i) const { return began.addDays(-10 * qint64(i + 1)); }

    void SetUp() override
    {
        E2EWithSound<RecordingSound>::SetUp();
        contacts = home + "/Contacts of the test";
        ASSERT_TRUE(QDir().mkpath(contacts));
        began = QDateTime::currentDateTimeUtc();
        for (std::size_t i = 0; i < kPeople.size(); ++i) {
            QFile f(contacts + "/" + kPeople[i].uid + ".vcf");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(cardOf(kPeople[i].uid, kPeople[i].family, kPeople[i].given, revisionOf(i)));
        }
        useContactsFolder(contacts);
        previousOpener = setContactOpenHandler([this](const QUrl& url, QString*) {
            opened.push_back(url);
            return true;
        });
        ASSERT_NO_FATAL_FAILURE(startWithTheBar());
        ASSERT_NO_FATAL_FAILURE(openContactsPanel());
    }
    void TearDown() override
    {
        setContactOpenHandler(std::move(previousOpener));
        E2EWithSound<RecordingSound>::TearDown();
    }

    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVPersonViewer* contactsViewer() const
    {
        return dynamic_cast<ZEVPersonViewer*>(space()->viewerForEntityClassName("ZEVPersonViewer"));
    }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = contactsViewer() ? contactsViewer()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    // The panel opened from its button in the entity bar, and shown.
    void openContactsPanel()
    {
        ZEVButton* button = context()->buttonForEntityInt(kContactsEntity);
        ASSERT_NE(button, nullptr);
        click(button);
        advance(1.0);
        ASSERT_NE(table(), nullptr);
        ASSERT_TRUE(table()->isVisible());
    }
    // The table given the focus by a click below its rows.
    void focusTable()
    {
        const QPoint below(table()->viewport()->width() / 2, table()->viewport()->height() - 4);
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, below);
        pump();
        ASSERT_TRUE(contactsViewer()->siFirstResponder());
    }
    // Put on the clipboard and pasted with Ctrl+V, as typed in the Space window.
    void paste(std::unique_ptr<QMimeData> data)
    {
        QGuiApplication::clipboard()->setMimeData(data.release());
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.0);
    }
    // Dragged from another program over the table's rows and let go there; answers what the
    // drag was told it would do.
    Qt::DropAction dropOnTable(QMimeData& data)
    {
        QWidget* target = table()->viewport();
        const QPoint at(target->width() / 2, target->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        const Qt::DropAction shown = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        advance(1.0);
        return shown;
    }
    // The titles the table lists, in row order.
    std::vector<std::string> rowTitles() const
    {
        std::vector<std::string> out;
        for (int r = 0; r < table()->numberOfRows(); ++r)
            out.push_back(table()->tableModel()->index(r, 5).data().toString().toStdString());
        return out;
    }

    // The contact Objects the store holds, on a desk or not: (id, title), in the order they were made.
    Rows contactObjects() const
    {
        return sql(database(), "SELECT o.ZEVLET_ID, w2.WORD FROM ZEVLETS o "
                               "JOIN ZEVLETS t ON t.PARENT_ZEVLET = o.ZEVLET_ID AND t.RELATION = 1000222 "
                               "JOIN WORD w ON w.ZEVLET_ID = t.CHILD_ZEVLET AND w.WORD = 'ABPerson' "
                               "JOIN ZEVLETS n ON n.PARENT_ZEVLET = o.ZEVLET_ID AND n.RELATION = 1000217 "
                               "JOIN WORD w2 ON w2.ZEVLET_ID = n.CHILD_ZEVLET "
                               "WHERE o.RELATION = 1000050 ORDER BY o.ZEVLET_ID");
    }
    // The Object's contact presences on a Channel, forgotten ones left out: (in, out), by in-date.
    std::vector<std::pair<double, double>> presences(const std::string& id, KELId channel = kHome) const
    {
        const Rows r = sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000162 AND "
                                       "PARENT_ZEVLET = " + std::to_string(channel) + " AND CHILD_ZEVLET = " + id +
                                           " ORDER BY DATE_IN");
        std::vector<std::pair<double, double>> out;
        for (std::size_t i = 0; i < r.size(); ++i)
            if (std::stod(r.at(i, 0)) < kForgottenDate)
                out.emplace_back(std::stod(r.at(i, 0)), std::stod(r.at(i, 1)));
        return out;
    }
    // The option bits of the Object, as stored.
    long long options(const std::string& id) const
    {
        const Rows r = sql(database(), "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + id);
        return r.empty() ? -1 : std::stoll(r.at(0, 0));
    }
    KELI* object(const std::string& id) const
    {
        return KELServeurDeLiens::LienForInt(KELId(std::stoull(id)), space()->nowCurseur());
    }
    // The unique id the Object's record in the home Channel names; empty when it cannot be read.
    QString recordUid(const std::string& id) const
    {
        ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(kHome);
        KELI* o = object(id);
        return store && o ? store->uidForItem(o, QStringLiteral("ABPerson")) : QString();
    }
    // The ids of the icon-selected Objects, sorted.
    std::vector<std::string> selectedIconIds() const
    {
        std::vector<std::string> out;
        for (KELI* i : space()->selections().selectedIconItems())
            out.push_back(std::to_string(i->idInt()));
        std::sort(out.begin(), out.end());
        return out;
    }

    QString contacts;
    QDateTime began;
    std::vector<QUrl> opened;
    ContactOpenHandler previousOpener;
};

} // namespace e2e
