#include "appstate.h"

#include "rules/details.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

const QString AppState::kUserDatabase = QStringLiteral("Vowline - User Database");
const QString AppState::kUserDatabaseModified =
    QStringLiteral("Vowline - User Database (modified)");
const QString AppState::kDefaultDatabase = QStringLiteral("Vowline - Default Database");
const QString AppState::kDefaultDatabaseModified =
    QStringLiteral("Vowline - Default Database (modified)");

namespace {

std::unique_ptr<AppState> g_state;

// Until a window installs its prompter nothing can be asked: questions get Cancel.
class NoPrompter : public Prompter {
public:
    Answer message(const QString &, const QString &, Icon, Buttons buttons) override {
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override {
        return std::nullopt;
    }
    std::optional<QString> openFile(const QString &, const QString &, const QString &) override {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const QString &, const QString &, const QString &,
                                    const QString &) override {
        return std::nullopt;
    }
    std::optional<int> choose(const QString &, const QString &, const QStringList &) override {
        return std::nullopt;
    }
    bool tellWithCheck(const QString &, const QString &, Icon, const QString &) override {
        return false;
    }
    void setBusy(bool) override {}
};

// Whether the program folder is meant to take the users' plans. An installed program folder
// is read-only by its permission bits; root passes every access check, so for root the bits
// themselves decide.
bool programFolderWritable(const QFileInfo &folder) {
    if (!folder.isDir() || !folder.isWritable())
        return false;
#ifdef Q_OS_UNIX
    if (::geteuid() == 0) {
        constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        return (folder.permissions() & anyWrite) != 0;
    }
#endif
    return true;
}

} // namespace

AppState::AppState()
    : m_server(std::make_unique<TB4Server>()) {
    if (QCoreApplication::instance())
        programFolder = QCoreApplication::applicationDirPath();
    connect(&plan, &Plan::modifiedChanged, this, [this] { emit statusTextChanged(statusText()); });
}

AppState::~AppState() = default;

void AppState::setCurrentPalmUser(const QString &user) {
    if (user == m_palmUser)
        return;
    m_palmUser = user;
    emit currentPalmUserChanged(user);
}

void AppState::setPlanKind(PlanKind kind) {
    if (kind == m_kind)
        return;
    m_kind = kind;
    emit statusTextChanged(statusText());
}

QString AppState::statusText() const {
    const bool modified = plan.isModified();
    if (m_kind == PlanKind::User)
        return modified ? kUserDatabaseModified : kUserDatabase;
    return modified ? kDefaultDatabaseModified : kDefaultDatabase;
}

QString AppState::statusLine() const {
    QString name =
        plan.isOpen() ? DetailsRecord::planName(plan.db(Schema::DbId::Plan)).trimmed() : QString();
    if (name.isEmpty() && !currentSetFolder.isEmpty())
        name = QDir::toNativeSeparators(currentSetFolder);
    if (name.isEmpty())
        name = m_kind == PlanKind::Default ? tr("New plan") : tr("Untitled plan");
    if (plan.isModified())
        return tr("%1 — unsaved changes").arg(name);
    return m_kind == PlanKind::Default ? name : tr("%1 — all changes saved").arg(name);
}

void AppState::markPlanSaved(PlanKind kind) {
    plan.markSaved();
    setPlanKind(kind);
}

Prompter &AppState::prompter() {
    static NoPrompter none;
    return m_prompter ? *m_prompter : none;
}

void AppState::show(const QString &path) const {
    if (m_viewer)
        m_viewer(path);
}

QString AppState::defaultsFolder() const {
    return programFolder + u'/' + Schema::kDefaultsFolder;
}

QString AppState::usersFolder() const {
    if (programFolderWritable(QFileInfo(programFolder)))
        return programFolder + QStringLiteral("/Users");
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Users");
}

AppState &appState() {
    if (!g_state)
        g_state = std::make_unique<AppState>();
    return *g_state;
}

void resetAppState() {
    g_state = std::make_unique<AppState>();
}
