// Test stand-ins for the modal dialogs and the web browser: scripted file
// choosers, a recorder of error messages and a recorder of opened URLs.
#pragma once

#include "FileDialogs.h"
#include "MessageBoxes.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Answers each file dialog with the next queued path; an empty queue cancels.
// Records where each dialog was asked to start.
class ScriptedFileDialogs final : public FileDialogs
{
public:
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList exportAnswers;
    int openCalls = 0;
    int saveCalls = 0;
    int exportCalls = 0;
    QString lastOpenFolder;
    QString lastSaveProposal;
    QString lastExportProposal;

    QString openImagePath(const QString &startFolder) override
    {
        ++openCalls;
        lastOpenFolder = startFolder;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString saveImagePath(const QString &proposedPath) override
    {
        ++saveCalls;
        lastSaveProposal = proposedPath;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString exportPngPath(const QString &proposedPath) override
    {
        ++exportCalls;
        lastExportProposal = proposedPath;
        return exportAnswers.isEmpty() ? QString() : exportAnswers.takeFirst();
    }
};

// Records the messages; answers each question about an unsaved result with
// the next queued choice, Discard when none is queued.
class RecordingMessages final : public MessageBoxes
{
public:
    QStringList errors;
    QStringList abouts;
    QStringList saveQuestions;
    QList<UnsavedChoice> saveChoices;
    void showError(const QString &text) override { errors << text; }
    void showAbout(const QString &text) override { abouts << text; }
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
