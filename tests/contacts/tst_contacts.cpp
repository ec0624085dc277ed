#include "contacts/frmoutlook.h"
#include "contacts/vcard.h"
#include "editors/frmrecordeditor.h"
#include "plan/appstate.h"
#include "support/guitest.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace {

QString fixture(const char *name) {
    return QStringLiteral(VOWLINE_TEST_DATA "/contacts/") + QString::fromLatin1(name);
}

void useAddressBook(const QString &path) {
    QSettings().setValue(QStringLiteral("Settings/AddressBook"), path);
}

// The list entries of the contacts, or every value the editor takes from each.
QStringList entries(const std::vector<Contact> &contacts, bool whole = false) {
    QStringList out;
    for (const Contact &c : contacts) {
        out << (whole ? QStringList{c.listText(), c.firstName, c.company, c.street, c.city, c.state,
                                    c.postalCode, c.country, c.homePhone, c.businessPhone, c.email}
                            .join(u'|')
                      : c.listText());
    }
    return out;
}

// A fresh plan with one record of the kind (3 party, 4 guest, 5 vendor); the editor opens on
// it.
struct EditorPlan {
    EditorPlan(int kind, const QList<QPair<const char *, QString>> &values)
        : kind(kind == 3   ? RecordKind::Party
               : kind == 4 ? RecordKind::Guest
                           : RecordKind::Vendor) {
        appState().setPrompter(&prompter);
        PlanSet fresh;
        buildDefaultSet(fresh, appState().server(), appState().programFolder, prompter);
        appState().plan.replace(std::move(fresh));
        PalmDatabase &db = appState().plan.db(databaseOf(this->kind));
        record = &db.records().add();
        for (const auto &[code, value] : values)
            db.write(*record, FieldCode(QString::fromLatin1(code)), value);
    }
    ~EditorPlan() {
        appState().setPrompter(nullptr);
        QSettings().remove(QStringLiteral("Settings/AddressBook"));
    }
    FormContext forms() { return {appState().plan, prompter, appState().contacts()}; }
    TestProgramFolder program;
    ScriptedPrompter prompter;
    RecordKind kind;
    Record *record = nullptr;
};

// The editor's boxes that a contact fills, as one text.
QString boxes(QWidget *dlg) {
    QStringList values;
    for (const char *name : {"txtName", "txtContact", "txtAddress", "txtCity", "txtState", "txtZip",
                             "txtPhone", "txtEmail", "txtCountry", "cmbRSVP"}) {
        QWidget *w = dlg->findChild<QWidget *>(QString::fromLatin1(name));
        auto *combo = qobject_cast<QComboBox *>(w);
        values << (combo ? combo->currentText() : qobject_cast<QLineEdit *>(w)->text());
    }
    return values.join(u'|');
}

} // namespace

class TestContacts : public QObject {
    Q_OBJECT
private slots:
    // Each vCard version: folding, quoted-printable in a named character set, escaped commas
    // and semicolons, telephone and address types, a company without a person, and groups
    // left out. Sorted by first name (the company without one first), in the user's collation
    // ("Émile" before "Zoë"), an extended address kept on the street line.
    void readsEachVersion_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("2.1") << fixture("v21.vcf")
                             << QStringList{
                                    "Anna Baker|Anna||2 Home St|Springfield|IL|62702||555-0111|"
                                    "555-0122|anna@example.com",
                                    "Jürgen Müller|Jürgen||Hauptstraße 5, Hinterhaus|Köln|NRW|"
                                    "50667|Germany||+49 221 555 0100|juergen@example.de"};
        QTest::newRow("3.0") << fixture("v30.vcf")
                             << QStringList{
                                    "Bloom & Petal Florists||Bloom & Petal Florists|9 Garden Rd|"
                                    "Portland|OR|97201|||555-0155|",
                                    "Zoë O'Neil|Zoë|Smith, Jones ; Co|12 Long Street, Suite 4|"
                                    "San Francisco|CA|94103|USA|+1 415 555 0133|+1 415 555 0144|"
                                    "zoe@example.com"};
        QTest::newRow("4.0") << fixture("v40.vcf")
                             << QStringList{"Carlos Díaz|Carlos||Calle Mayor 1|Madrid||28013|"
                                            "Spain|+34-91-555-0166|+34-91-555-0177|"
                                            "carlos@example.es"};
    }
    void readsEachVersion() {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        auto contacts = VCard::readAddressBook(file);
        QVERIFY(contacts);
        VCard::sortByFirstName(*contacts);
        QCOMPARE(entries(*contacts, true), expected);

        auto accented =
            VCard::parse("BEGIN:VCARD\r\nVERSION:3.0\r\nN:O'Neil;Zoë;;;\r\n"
                         "FN:Zoë O'Neil\r\nEND:VCARD\r\n"
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Blanc;Émile;;;\r\n"
                         "FN:Émile Blanc\r\nADR;TYPE=HOME:;Apt 3;12 Rue Haute;Lyon;;69001;"
                         "France\r\nEND:VCARD\r\n"
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;anna;;;\r\n"
                         "FN:anna Adams\r\nEND:VCARD\r\n");
        VCard::sortByFirstName(accented);
        QCOMPARE(entries(accented), (QStringList{"anna Adams", "Émile Blanc", "Zoë O'Neil"}));
        QCOMPARE(accented[1].street, QStringLiteral("12 Rue Haute, Apt 3"));
    }

    // Damaged and unusual address books: a card that never ends is counted and the cards
    // after it are read; encodings are recognised whatever the card says.
    void readsDamagedAddressBooks_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("unread");
        const QByteArray ben = "BEGIN:VCARD\r\nFN:Ben\r\nEND:VCARD\r\n";
        const QString zoe = QStringLiteral("BEGIN:VCARD\r\nFN;CHARSET=ISO-8859-1:Zo\u00EB "
                                           "\u738B\r\nEND:VCARD\r\n");
        const struct {
            const char *name;
            QByteArray bytes;
            const char *names;
            int unread;
        } rows[] = {
            {"a card without END", "BEGIN:VCARD\r\nFN:Ann\r\n" + ben + ben, "Ben|Ben", 1},
            {"quoted-printable ending in =",
             "BEGIN:VCARD\r\nFN;ENCODING=QUOTED-PRINTABLE:Ann=\r\nEND:VCARD\r\n" + ben, "Ann|Ben",
             0},
            {"cut off at the end", ben + "BEGIN:VCARD\r\nFN:Cy", "Ben", 1},
            {"an agent's card inside",
             "BEGIN:VCARD\r\nFN:Boss\r\nAGENT:\r\n" + ben + "TEL:1\r\nEND:VCARD\r\n" + ben,
             "Boss|Ben", 0},
            {"UTF-16 LE", utf16(zoe, true, true), "Zoë 王", 0},
            {"UTF-16 BE", utf16(zoe, false, true), "Zoë 王", 0},
            {"UTF-16 without mark", utf16(zoe, true), "Zoë 王", 0},
            {"UTF-8 with mark", "\xEF\xBB\xBF" + ben + "BEGIN:VCARD\r\nFN:Zo\xC3\xAB\r\nEND:VCARD",
             "Ben|Zoë", 0},
            // An 8-bit name ending in an accent looks like the start of a UTF-8 sequence.
            {"Windows-1252, accent last",
             "BEGIN:VCARD\r\nFN:Andr\xE9\r\nN:;Jos\xE9\r\nEND:VCARD\r\n", "André", 0},
            {"named character set, accent last",
             "BEGIN:VCARD\r\nFN;CHARSET=UTF-8:Andr\xE9\r\nEND:VCARD\r\n", "André", 0},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.bytes << QString::fromUtf8(r.names) << r.unread;
    }
    void readsDamagedAddressBooks() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, names);
        QFETCH(int, unread);
        int cards = 0;
        QCOMPARE(entries(VCard::parse(bytes, &cards)).join(u'|'), names);
        QCOMPARE(cards, unread);
    }

    // A folder of cards (a vdir) is read with its subfolders, a file that cannot be read is
    // passed over, and the picker lists what it could read and says how much it could not.
    void vdirAndWhatCouldNotBeRead() {
        EditorPlan plan(4, {});
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("work"));
        QFile::copy(fixture("v40.vcf"), dir.filePath(QStringLiteral("work/a.vcf")));
        QFile::copy(fixture("v21.vcf"), dir.filePath(QStringLiteral("b.vcf")));
        writeAll(dir.filePath(QStringLiteral("c.vcf")), "BEGIN:VCARD\r\nFN;CHARSET=nonsense:\xff"
                                                        "\r\nTEL;TYPE=\"unterminated:1\r\n");
        writeAll(dir.filePath(QStringLiteral("d.vcf")),
                 "BEGIN:VCARD\r\nFN:Ann\r\nBEGIN:VCARD\r\nFN:Ben\r\nEND:VCARD\r\n");
        QVERIFY(!VCard::readAddressBook(dir.filePath(QStringLiteral("none.vcf"))));
        useAddressBook(dir.path());
        frmOutlook picker(appState().contacts(), plan.prompter);
        picker.show();
        QCOMPARE(picker.list()->count(), 4); // the unfinished cards are not contacts
        auto *unread = picker.findChild<QLabel *>(QStringLiteral("lblUnread"));
        QVERIFY(unread && unread->isVisible());
        QCOMPARE(unread->text(),
                 QStringLiteral("2 cards could not be read: they are damaged or cut short."));

        QFile::remove(dir.filePath(QStringLiteral("c.vcf")));
        QFile::remove(dir.filePath(QStringLiteral("d.vcf")));
        clickButton(&picker, QStringLiteral("cmdFill"));
        QCOMPARE(picker.list()->count(), 3);
        QVERIFY(!unread->isVisible());
        VERIFY_PROMPTS(plan.prompter);
    }

    // The mapping per kind: vendors take the company and the business number; party members
    // and guests the person and the home number, the business one when there is no home one;
    // a guest without RSVP stands for one. The country box is never touched.
    void importsByKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("rsvp");
        QTest::addColumn<QString>("expected"); // as boxes()
        const struct {
            const char *name;
            int kind;
            const char *file, *entry, *rsvp, *expected;
        } rows[] = {
            {"party, home wins", 3, "v21.vcf", "Anna Baker", "",
             "Anna Baker||2 Home St|Springfield|IL|62702|555-0111|anna@example.com|Italy|"},
            {"party, business only", 3, "v21.vcf", "Jürgen Müller", "",
             "Jürgen Müller||Hauptstraße 5, Hinterhaus|Köln|NRW|50667|+49 221 555 0100|"
             "juergen@example.de|Italy|"},
            {"vendor", 5, "v30.vcf", "Zoë O'Neil", "",
             "Smith, Jones ; Co|Zoë O'Neil|12 Long Street, Suite 4|San Francisco|CA|94103|"
             "+1 415 555 0144|zoe@example.com|Italy|"},
            {"vendor, company only", 5, "v30.vcf", "Bloom & Petal Florists", "",
             "Bloom & Petal Florists||9 Garden Rd|Portland|OR|97201|555-0155||Italy|"},
            {"guest, no rsvp", 4, "v40.vcf", "Carlos Díaz", "",
             "Carlos Díaz||Calle Mayor 1|Madrid||28013|+34-91-555-0166|carlos@example.es|Italy|1"},
            {"guest, rsvp kept", 4, "v40.vcf", "Carlos Díaz", "3",
             "Carlos Díaz||Calle Mayor 1|Madrid||28013|+34-91-555-0166|carlos@example.es|Italy|3"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.kind << fixture(r.file) << QString::fromUtf8(r.entry)
                                  << r.rsvp << QString::fromUtf8(r.expected);
    }
    void importsByKind() {
        QFETCH(int, kind);
        QFETCH(QString, file);
        QFETCH(QString, entry);
        QFETCH(QString, rsvp);
        QFETCH(QString, expected);
        const char *country = kind == 3 ? "pctr" : kind == 4 ? "gctr" : "vctr";
        EditorPlan plan(kind, {{country, QStringLiteral("Italy")}, {"rsvp", rsvp}});
        useAddressBook(file);
        frmRecordEditor dlg(plan.forms(), plan.kind, *plan.record, false);
        dlg.show();
        onNextModal(QStringLiteral("frmOutlook"), [&](QDialog *picker) {
            auto *list = picker->findChild<QListWidget *>(QStringLiteral("lstOutlook"));
            const auto found = list->findItems(entry, Qt::MatchExactly);
            QVERIFY2(found.size() == 1, qPrintable(entry));
            list->setCurrentItem(found.front());
            clickButton(picker, QStringLiteral("OKButton"));
        });
        clickButton(&dlg, QStringLiteral("cmdOutlook")); // a new record: no question
        QVERIFY(modalHandlersDone());
        QCOMPARE(boxes(&dlg), expected);
        QCOMPARE(dlg.windowTitle(),
                 QStringLiteral("Record Details - ") + boxes(&dlg).section(u'|', 0, 0));
        VERIFY_PROMPTS(plan.prompter);
    }

    // No to the question, Cancel, Escape or the window frame: the record keeps what it had.
    void nothingChangesUnlessAContactIsTaken() {
        EditorPlan plan(4, {{"gnam", QStringLiteral("Ann")}, {"gadr", QStringLiteral("1 Elm")}});
        useAddressBook(fixture("v40.vcf"));
        frmRecordEditor dlg(plan.forms(), plan.kind, *plan.record, false);
        dlg.show();
        const QString before = boxes(&dlg);
        auto expectQuestion = [&](Prompter::Answer answer) {
            plan.prompter.expectMessage(
                QStringLiteral("The current record contains information that will be replaced "
                               "with the contact data you specify.  Do you want to replace the "
                               "existing data?"),
                QStringLiteral("Overwrite Data?"), Prompter::Icon::Exclamation,
                Prompter::Buttons::YesNo, answer);
        };
        expectQuestion(Prompter::Answer::No);
        clickButton(&dlg, QStringLiteral("cmdOutlook"));
        for (auto close : std::vector<std::function<void(QDialog *)>>{
                 [](QDialog *p) { clickButton(p, QStringLiteral("CancelButton")); },
                 [](QDialog *p) { QTest::keyClick(p, Qt::Key_Escape); },
                 [](QDialog *p) {
                     p->close();
                 }}) {
            expectQuestion(Prompter::Answer::Yes);
            onNextModal(QStringLiteral("frmOutlook"), [&](QDialog *picker) {
                picker->findChild<QListWidget *>()->setCurrentRow(0);
                close(picker);
            });
            clickButton(&dlg, QStringLiteral("cmdOutlook"));
            QVERIFY(modalHandlersDone());
        }
        QCOMPARE(boxes(&dlg), before);
        VERIFY_PROMPTS(plan.prompter);
    }

    // Without an address book the user is told where the program looks and may pick a file,
    // which is remembered; OK without a choice asks for one.
    void noAddressBookFound() {
        EditorPlan plan(3, {});
        frmOutlook picker(appState().contacts(), plan.prompter);
        plan.prompter
            .expectMessage(QStringLiteral("No address book was found.  Vowline Desktop imports "
                                          "contacts exported as vCard (.vcf files) and looks for "
                                          "them in:\r") +
                               QDir::toNativeSeparators(QDir::homePath()) +
                               QStringLiteral("/.contacts\r"),
                           QStringLiteral("Contacts Not Found"), Prompter::Icon::Exclamation,
                           Prompter::Buttons::YesNo, Prompter::Answer::Yes)
            .prefixOnly();
        plan.prompter.expectOpenFile(QStringLiteral("Choose Address Book"), fixture("v30.vcf"));
        picker.show();
        QCOMPARE(picker.list()->count(), 2);
        QCOMPARE(picker.list()->item(0)->text(), QStringLiteral("Bloom & Petal Florists"));
        QCOMPARE(picker.list()->item(1)->data(Qt::UserRole).toInt(), 2);
        QCOMPARE(QSettings().value(QStringLiteral("Settings/AddressBook")).toString(),
                 fixture("v30.vcf"));
        plan.prompter.expectMessage(
            QStringLiteral("You must first select a person from the list at the left."),
            kProgramTitle, Prompter::Icon::None);
        clickButton(&picker, QStringLiteral("OKButton"));
        QVERIFY(picker.isVisible());
        VERIFY_PROMPTS(plan.prompter);
    }

    // Without a setting: a vdir in ~/.contacts comes before the first .vcf of the documents.
    void defaultAddressBook() {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString vdir = QDir::homePath() + QStringLiteral("/.contacts");
        QDir().mkpath(documents);
        QDir().mkpath(vdir + QStringLiteral("/family"));
        QFile::copy(fixture("v30.vcf"), documents + QStringLiteral("/b.vcf"));
        QFile::copy(fixture("v21.vcf"), documents + QStringLiteral("/a.vcf"));
        AddressBookSource source;
        QCOMPARE(source.location(), documents + QStringLiteral("/a.vcf"));
        QFile::copy(fixture("v40.vcf"), vdir + QStringLiteral("/family/c.vcf"));
        QCOMPARE(source.location(), vdir);
        QCOMPARE(source.sortedContacts()->front().fullName, QStringLiteral("Carlos Díaz"));
        QDir(vdir).removeRecursively();
        QFile::remove(documents + QStringLiteral("/a.vcf"));
        QFile::remove(documents + QStringLiteral("/b.vcf"));
    }
};

VOWLINE_TEST(TestContacts)
#include "tst_contacts.moc"
