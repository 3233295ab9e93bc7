// Test stand-ins for the modal dialogs and the web browser: scripted file
// choosers, a recorder of messages and a recorder of opened URLs.
#pragma once

#include "FileDialogs.h"
#include "MessageBoxes.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Answers each file dialog with the next queued path; an empty queue cancels.
// Records how often each was asked and where it was asked to start.
class ScriptedFileDialogs final : public FileDialogs
{
public:
    QStringList openAnswers, saveAnswers, exportAnswers;
    int saveCalls = 0, exportCalls = 0;
    QString lastOpenFolder, lastSaveProposal, lastExportProposal;
    QString openImagePath(const QString &folder) override { return next(openAnswers, lastOpenFolder = folder); }
    QString saveImagePath(const QString &path) override { return ++saveCalls, next(saveAnswers, lastSaveProposal = path); }
    QString exportPngPath(const QString &path) override { return ++exportCalls, next(exportAnswers, lastExportProposal = path); }
    static QString next(QStringList &queue, const QString &) { return queue.isEmpty() ? QString() : queue.takeFirst(); }
};

// Records the messages; answers each question about an unsaved result with
// the next queued choice, Discard when none is queued.
class RecordingMessages final : public MessageBoxes
{
public:
    QStringList errors, saveQuestions;
    QList<UnsavedChoice> saveChoices;
    void showError(const QString &text) override { errors << text; }
    void showAbout(const QString &) override {}
    UnsavedChoice askToSave(const QString &question) override
    {
        saveQuestions << question;
        return saveChoices.isEmpty() ? UnsavedChoice::Discard : saveChoices.takeFirst();
    }
};

// Registered with QDesktopServices::setUrlHandler in place of the browser.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void handleUrl(const QUrl &url) { urls << url; }
};
