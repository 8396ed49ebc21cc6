#pragma once
// The update wizard's window: asks the update service whether a newer
// version exists, downloads and checks the package, then offers to install
// or save it.

#include "zumainwindow.h"

#include <QCryptographicHash>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

class QCloseEvent;
class QNetworkAccessManager;
class QSaveFile;
class ZuFetch;
class quilols;

namespace Ui {
class quilUpdateWindowClass;
}

class quilUpdateWindow : public ZuMainWindow
{
    Q_OBJECT
    // "width,height"; the skin sets it to give the wizard another fixed size.
    Q_PROPERTY(QString UpDateWindowSize READ UpDateWindowSize WRITE setUpDateWindowSize)

public:
    explicit quilUpdateWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~quilUpdateWindow() override;

    void Init(const QString& productKey, const QString& secondQuery, const QString& productName,
              const QString& language, const QString& endpoint);
    // Asks the service. 1 when an update is being downloaded and the window
    // shows; 0 when the user has been told there is none or no answer came.
    int checkUpate();
    // The 32 lower-case hex digits a digest file holds, or an empty text
    // when it holds anything else.
    static QByteArray parseDigest(const QByteArray& digestFile);
    void retranslate() override;

    QString UpDateWindowSize() const;
    void setUpDateWindowSize(const QString& size);

    // "hh:mm:ss"; empty for no time at all.
    static QString formattime(int secs);
    // The name a package from `url` is stored under: empty unless the URL
    // is http or https and ends in a plain file name.
    static QString packageFileName(const QUrl& url);
    // Where the package's MD5 digest lies: ".md5" added to the path.
    static QUrl md5Url(const QUrl& packageUrl);
    // True for the package types Install hands to the desktop (see
    // updater/README.md); anything else can only be saved.
    static bool isInstallable(const QString& fileName);

    QString packagePath() const { return m_packagePath; }
    int elapsedSeconds() const { return m_elapsed; }
    int remainingSeconds() const { return m_remaining; }
    // A transfer silent for this long fails (also bounds the service call).
    void setStallTimeout(int ms) { m_stallMs = ms; }

    // How Install and links open things; tests replace it so nothing runs.
    using UrlOpener = std::function<bool(const QUrl& url)>;
    static void setUrlOpener(UrlOpener opener);
    // The Save As file dialog; returns the chosen path or an empty text.
    using SaveFileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& proposed)>;
    static void setSaveFileChooser(SaveFileChooser chooser);

    // Handlers without an object on the form; connected explicitly.
    void on_info_link_click(const QUrl& url);
    void on_messageReceived(const QString& message);
    void on_pushButton_8_clicked();
    void on_pushButton_6_clicked();
    void on_pushButton_7_clicked();
    void on_pushButton_5_clicked();
    void on_download_httpRequestFinished();
    void on_md5_download_httpRequestFinished();
    void on_download_updateDataReadProgress(qint64 done, qint64 total);
    void on_timer_update_time();

signals:
    // The wizard is done; the program ends its event loop.
    void quitRequested();

private slots:
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_4_clicked();
    void on_pushButton_clicked();
    void on_pushButton_update_clicked();
    void on_pushButton_cancel_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Status {
        Downloading,
        Failed,
        Finished
    };
    // One download. The package goes to a temporary file beside its final
    // name, which it takes only once it is complete and verified; the
    // digest stays in memory.
    struct Transfer {
        std::unique_ptr<ZuFetch> fetch;
        std::unique_ptr<QSaveFile> file; // null: kept in `memory`
        QByteArray memory;
        QCryptographicHash hash{QCryptographicHash::Md5};
        qint64 received = 0; // body bytes of a successful answer
        bool done = false;
        bool failed = false;
    };

    void startTransfer(Transfer& transfer, const QUrl& url);
    void takeData(Transfer& transfer);
    void transferFinished(Transfer& transfer);
    void reportProgress();
    void dropTransfers();
    void conclude();
    bool installable() const;
    void showFailed();
    void setProgress(int percent);
    void updateTexts();
    bool confirmQuit();
    bool copyPackage(const QString& target) const;
    void quitWizard();
    QString statusText() const;
    QString importanceText() const;

    std::unique_ptr<Ui::quilUpdateWindowClass> ui;
    QString m_productKey;
    QString m_secondQuery;
    QString m_productName;
    QString m_endpoint;
    QString m_language;
    QString m_packageUrl;
    QString m_downloadUrl;
    QString m_packagePath;
    std::unique_ptr<quilols> m_service;
    QNetworkAccessManager* m_network; // child
    Transfer m_package;
    Transfer m_md5;
    bool m_aborted = false;
    int m_elapsed = 0;
    int m_remaining = -1;
    bool m_finished = false;
    QTimer m_timer;
    QString m_version;
    QString m_extra;
    QString m_importance;
    int m_width = -1;
    int m_height = -1;
    int m_stallMs;
    int m_progress = 0;
    bool m_checking = false;
    bool m_quitting = false;
    Status m_status = Status::Downloading;
};
