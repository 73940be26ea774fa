/* printout.h - what the print tests read back from the test run's PDF printer:
 * the PDF a job left in the private cups-pdf queue's output folder ("pdf" beside
 * the server's socket, CUPS_SERVER), read with the poppler tools.
 *
 * The poppler tools are Linux programs: Wine starts a Linux executable named in
 * CreateProcessA but hands back no process handle, so RunLinux runs the command
 * through /bin/sh, which writes the output and then, last, the exit code into
 * files that are polled for. */
#ifndef ZENVRIX_TEST_PRINTOUT_H
#define ZENVRIX_TEST_PRINTOUT_H

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "harness.h"
#include "install_support.h"

namespace printout {

inline std::string WindowsToUnixPath(std::string path)
{
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':')
        path.erase(0, 2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

inline std::string Quoted(const std::string &path)
{
    return "'" + WindowsToUnixPath(path) + "'";
}

/* The queue's output folder (Windows path ending in '\'), or "" without CUPS_SERVER. */
inline std::string PdfFolder(void)
{
    const char *server = getenv("CUPS_SERVER");
    if (server == NULL || server[0] != '/')
        return "";
    std::string socket = server;
    return UnixToWindowsPath(socket.substr(0, socket.rfind('/'))) + "\\pdf\\";
}

inline std::set<std::string> PdfFiles(void)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((PdfFolder() + "*.pdf").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(entry.cFileName);
    while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

/* A PDF is whole once its last "%%EOF" has been written. */
inline bool PdfComplete(const std::string &path)
{
    std::string bytes = installtest::ReadWholeFile(path);
    size_t end = bytes.find_last_not_of("\r\n ");
    return end != std::string::npos && end >= 4 && bytes.compare(end - 4, 5, "%%EOF") == 0;
}

/* Full paths of the PDFs that arrived since `before`, once `count` have arrived and
 * each is complete, or when the time is up. */
inline std::vector<std::string> WaitForNewPdfs(const std::set<std::string> &before, size_t count,
                                               DWORD timeoutMs = 30000)
{
    for (DWORD start = GetTickCount();; Sleep(100)) {
        std::vector<std::string> found;
        bool complete = true;
        for (const std::string &name : PdfFiles())
            if (!before.count(name)) {
                found.push_back(PdfFolder() + name);
                complete = complete && PdfComplete(found.back());
            }
        if ((found.size() >= count && complete) || GetTickCount() - start > timeoutMs)
            return found;
    }
}

/* Runs a shell command line on the Linux side; returns its exit code (-1 when it
 * could not be started or did not end in time) and its output. */
inline int RunLinux(const std::string &command, std::string *output, DWORD timeoutMs = 60000)
{
    static int serial;
    std::string folder = BinaryDir() + "testdata\\";
    CreateDirectoryA(folder.c_str(), NULL);
    folder += "linux\\";
    CreateDirectoryA(folder.c_str(), NULL);
    char stem[64];
    snprintf(stem, sizeof stem, "run%lu_%d", GetCurrentProcessId(), ++serial);
    std::string script = folder + stem + ".sh", out = folder + stem + ".out",
                code = folder + stem + ".code";
    std::string text = "export PATH=/usr/bin:/bin\n( " + command + " ) > " + Quoted(out) +
                       " 2>&1\necho $? > " + Quoted(code + ".part") + "\nmv " +
                       Quoted(code + ".part") + " " + Quoted(code) + "\n";
    if (!installtest::WriteWholeFile(script, text))
        return -1;

    std::string line = "Z:\\bin\\sh \"" + WindowsToUnixPath(script) + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &buffer[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    if (process.hProcess != NULL)
        CloseHandle(process.hProcess);
    if (process.hThread != NULL)
        CloseHandle(process.hThread);

    for (DWORD start = GetTickCount(); !installtest::FileExists(code); Sleep(20))
        if (GetTickCount() - start > timeoutMs)
            return -1;
    *output = installtest::ReadWholeFile(out);
    int result = atoi(installtest::ReadWholeFile(code).c_str());
    DeleteFileA(script.c_str());
    DeleteFileA(out.c_str());
    DeleteFileA(code.c_str());
    return result;
}

/* What a PDF holds, as the poppler tools read it. */
struct Printout {
    std::string path;
    int pages = -1;                     /* pdfinfo's page count */
    std::string title;                  /* pdfinfo's Title */
    std::vector<std::string> pageTexts; /* pdftotext -layout, one text per page */
    std::vector<std::string> fonts;     /* pdffonts' names without the subset tag */
};

/* The value of the line "name: value" of pdfinfo's output. */
inline std::string FieldOf(const std::string &info, const std::string &name)
{
    size_t at = ("\n" + info).find("\n" + name + ":");
    if (at == std::string::npos)
        return "";
    size_t from = at + name.size() + 1, end = info.find('\n', at);
    std::string value = info.substr(from, end == std::string::npos ? end : end - from);
    return value.erase(0, std::min(value.size(), value.find_first_not_of(' ')));
}

inline Printout ReadPrintout(const std::string &path)
{
    Printout result;
    result.path = path;
    std::string info, text, fonts;
    if (RunLinux("pdfinfo " + Quoted(path), &info) == 0) {
        result.pages = atoi(FieldOf(info, "Pages").c_str());
        result.title = FieldOf(info, "Title");
    }
    if (RunLinux("pdftotext -layout " + Quoted(path) + " -", &text) == 0) {
        size_t start = 0; /* pages end with a form feed */
        for (int page = 0; page < result.pages; page++) {
            size_t end = std::min(text.find('\f', start), text.size());
            result.pageTexts.push_back(text.substr(start, end - start));
            start = end < text.size() ? end + 1 : end;
        }
    }
    if (RunLinux("pdffonts " + Quoted(path), &fonts) == 0) {
        size_t start = fonts.find('\n', fonts.find('\n') + 1); /* after the two heading lines */
        while (start != std::string::npos && ++start < fonts.size()) {
            std::string name = fonts.substr(start, fonts.find_first_of(" \n", start) - start);
            if (name.size() > 7 && name[6] == '+')
                name.erase(0, 7);
            if (!name.empty())
                result.fonts.push_back(name);
            start = fonts.find('\n', start);
        }
    }
    return result;
}

/* The words of a page text that begin with `prefix`, in reading order. */
inline std::vector<std::string> WordsStartingWith(const std::string &text, const std::string &prefix)
{
    std::vector<std::string> words;
    size_t at = 0;
    while ((at = text.find(prefix, at)) != std::string::npos) {
        if (at > 0 && text[at - 1] != ' ' && text[at - 1] != '\n' && text[at - 1] != '\\') {
            at += prefix.size();
            continue;
        }
        size_t end = std::min(text.find_first_of(" \r\n", at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

/* Writes the pages as PNG pictures beside the PDF (for a person to look at);
 * returns the Windows path of the first page's picture. */
inline std::string SavePagePictures(const std::string &path)
{
    std::string stem = path.substr(0, path.size() - 4), output;
    RunLinux("pdftoppm -png -r 50 " + Quoted(path) + " " + Quoted(stem), &output);
    return stem + "-1.png";
}

} // namespace printout

#endif
