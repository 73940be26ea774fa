/* printout.h - what the print tests read back from the test run's PDF printer:
 * the PDF a job left in the private cups-pdf queue's output folder, read with the
 * poppler tools (pdfinfo, pdftotext -layout, pdffonts, pdftoppm).
 *
 * scripts/cups-private.sh starts the queue and sends its PDFs to the folder "pdf"
 * beside the server's socket (CUPS_SERVER).  The poppler tools are Linux programs:
 * Wine starts a Linux executable named in CreateProcessA but hands back no process
 * handle, so RunLinux runs the command through /bin/sh, which writes the output and
 * then, last, the exit code into files that are polled for.
 *
 * Header-only; used by tests/print_test.cpp.  Touches the pdf folder (read only)
 * and a scratch folder under the build tree. */
#ifndef ZENVRIX_TEST_PRINTOUT_H
#define ZENVRIX_TEST_PRINTOUT_H

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "harness.h"

namespace printout {

inline std::string WindowsToUnixPath(const std::string &path)
{
    std::string unix = path;
    if (unix.size() >= 2 && (unix[0] == 'Z' || unix[0] == 'z') && unix[1] == ':')
        unix.erase(0, 2);
    for (size_t i = 0; i < unix.size(); i++)
        if (unix[i] == '\\')
            unix[i] = '/';
    return unix;
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
    do {
        names.insert(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

inline std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

/* A PDF is whole once its last "%%EOF" has been written. */
inline bool PdfComplete(const std::string &path)
{
    std::string bytes = ReadFileBytes(path);
    size_t end = bytes.find_last_not_of("\r\n ");
    return end != std::string::npos && end >= 4 && bytes.compare(end - 4, 5, "%%EOF") == 0;
}

/* The PDFs that arrived since `before` was taken, once each is complete; waits
 * until `count` have arrived or the time is up.  Full Windows paths, by name. */
inline std::vector<std::string> WaitForNewPdfs(const std::set<std::string> &before, size_t count,
                                               DWORD timeoutMs = 30000)
{
    std::vector<std::string> found;
    DWORD start = GetTickCount();
    for (;;) {
        found.clear();
        std::set<std::string> now = PdfFiles();
        bool complete = true;
        for (std::set<std::string>::const_iterator it = now.begin(); it != now.end(); ++it) {
            if (before.count(*it))
                continue;
            std::string path = PdfFolder() + *it;
            if (!PdfComplete(path))
                complete = false;
            found.push_back(path);
        }
        if ((found.size() >= count && complete) || GetTickCount() - start > timeoutMs)
            return found;
        Sleep(100);
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
    std::string script = folder + stem + ".sh";
    std::string out = folder + stem + ".out";
    std::string code = folder + stem + ".code";
    std::string unixOut = WindowsToUnixPath(out);
    std::string unixCode = WindowsToUnixPath(code);
    std::string text = "export PATH=/usr/bin:/bin\n"
                       "( " + command + " ) > '" + unixOut + "' 2>&1\n"
                       "echo $? > '" + unixCode + ".part'\n"
                       "mv '" + unixCode + ".part' '" + unixCode + "'\n";
    HANDLE file = CreateFileA(script.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL);
    CloseHandle(file);

    std::string line = "Z:\\bin\\sh \"" + WindowsToUnixPath(script) + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(NULL, &buffer[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    if (process.hProcess != NULL)
        CloseHandle(process.hProcess);
    if (process.hThread != NULL)
        CloseHandle(process.hThread);

    DWORD start = GetTickCount();
    while (GetFileAttributesA(code.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > timeoutMs)
            return -1;
        Sleep(20);
    }
    *output = ReadFileBytes(out);
    int result = atoi(ReadFileBytes(code).c_str());
    DeleteFileA(script.c_str());
    DeleteFileA(out.c_str());
    DeleteFileA(code.c_str());
    return result;
}

inline std::string Quoted(const std::string &path)
{
    return "'" + WindowsToUnixPath(path) + "'";
}

/* What a PDF holds, as the poppler tools read it. */
struct Printout {
    std::string path;
    int pages = -1;                     /* pdfinfo's page count */
    std::string title;                  /* pdfinfo's Title */
    std::vector<std::string> pageTexts; /* pdftotext -layout, one text per page */
    std::vector<std::string> fonts;     /* pdffonts' names without the subset tag */
};

inline std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::string FieldOf(const std::string &info, const std::string &name)
{
    std::vector<std::string> lines = Lines(info);
    for (size_t i = 0; i < lines.size(); i++)
        if (lines[i].compare(0, name.size() + 1, name + ":") == 0) {
            size_t at = lines[i].find_first_not_of(' ', name.size() + 1);
            return at == std::string::npos ? "" : lines[i].substr(at);
        }
    return "";
}

inline Printout ReadPrintout(const std::string &path)
{
    Printout result;
    result.path = path;
    std::string info;
    if (RunLinux("pdfinfo " + Quoted(path), &info) == 0) {
        result.pages = atoi(FieldOf(info, "Pages").c_str());
        result.title = FieldOf(info, "Title");
    }
    std::string text;
    if (RunLinux("pdftotext -layout " + Quoted(path) + " -", &text) == 0) {
        /* Pages end with a form feed. */
        size_t start = 0;
        for (int page = 0; page < result.pages; page++) {
            size_t end = text.find('\f', start);
            if (end == std::string::npos)
                end = text.size();
            result.pageTexts.push_back(text.substr(start, end - start));
            start = end < text.size() ? end + 1 : end;
        }
    }
    std::string fonts;
    if (RunLinux("pdffonts " + Quoted(path), &fonts) == 0) {
        std::vector<std::string> lines = Lines(fonts);
        for (size_t i = 2; i < lines.size(); i++) {
            std::string name = lines[i].substr(0, lines[i].find(' '));
            if (name.size() > 7 && name[6] == '+')
                name.erase(0, 7);
            if (!name.empty())
                result.fonts.push_back(name);
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
        size_t end = text.find_first_of(" \r\n", at);
        if (end == std::string::npos)
            end = text.size();
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

/* Writes the pages as PNG pictures beside the PDF (for a person to look at);
 * returns the Windows path of the first page's picture. */
inline std::string SavePagePictures(const std::string &path, int resolution = 50)
{
    std::string stem = path.substr(0, path.size() - 4);
    std::string output;
    RunLinux("pdftoppm -png -r " + std::to_string(resolution) + " " + Quoted(path) + " " +
                 Quoted(stem),
             &output);
    return stem + "-1.png";
}

} // namespace printout

#endif
