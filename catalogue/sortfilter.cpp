/* sortfilter.cpp - sorting the Catalogue by face name, building the DisplayList
 * through the name filter, the TrueType-only option and the style selection, and
 * the filter dialog DIALOG_SPECENDS.
 *
 * Touches the order of the Catalogue's pointers (never its records), the
 * DisplayList (emptied by the caller, filled here with whole copies) and, from the
 * filter dialog, the filter settings.  Called from the UM_RESCAN and UM_REBUILD
 * handlers and from command 136 of the main window (app/mainwnd.cpp). */
#include "fontlist.h"

#include <stdlib.h>
#include <string.h>

#include "../app/faults.h"
#include "../app/settings.h"
#include "../app/shell.h"
#include "../resources/resource.h"

/* ---- sorting ---- */

typedef FontRecord *RecordPointer;

/* Runs shorter than this are lengthened by insertion before the merging starts. */
enum { MIN_RUN = 32 };

/* Byte order of two face names: unsigned bytes, case-sensitive, no locale rules,
 * so upper-case ASCII letters come before lower-case ones. */
static int CompareFaces(const FontRecord *a, const FontRecord *b)
{
    const unsigned char *x = (const unsigned char *)a->logFont.lfFaceName;
    const unsigned char *y = (const unsigned char *)b->logFont.lfFaceName;
    for (int i = 0; i < LF_FACESIZE; i++) {
        if (x[i] != y[i])
            return (int)x[i] - (int)y[i];
        if (x[i] == 0)
            return 0;
    }
    return 0;
}

/* A record's face name packed into four words (big-endian, zero after the name's
 * end), so that comparing the words in turn gives the byte order of the names.
 * The sort works on these keys, side by side in one array, instead of reaching
 * into a scattered record for every comparison. */
struct SortKey {
    unsigned long long word[LF_FACESIZE / 8];
    FontRecord *record;
};

static void MakeKey(SortKey *key, FontRecord *record)
{
    /* The name with zeros after it, taken eight bytes at a time: a byte at a time
     * into a 64-bit word costs more than the whole sort in a 32-bit build. */
    unsigned char name[LF_FACESIZE];
    const char *face = record->logFont.lfFaceName;
    const char *end = (const char *)memchr(face, 0, LF_FACESIZE);
    size_t length = end != NULL ? (size_t)(end - face) : LF_FACESIZE;
    memcpy(name, face, length);
    memset(name + length, 0, LF_FACESIZE - length);
    for (int w = 0; w < LF_FACESIZE / 8; w++) {
        unsigned long long word;
        memcpy(&word, name + 8 * w, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        word = __builtin_bswap64(word);
#endif
        key->word[w] = word;
    }
    key->record = record;
}

static int CompareKeys(const SortKey *a, const SortKey *b)
{
    for (int w = 0; w < LF_FACESIZE / 8; w++) {
        if (a->word[w] != b->word[w])
            return a->word[w] < b->word[w] ? -1 : 1;
    }
    return 0;
}

static void ReverseKeys(SortKey *a, int lo, int hi)
{
    for (hi--; lo < hi; lo++, hi--) {
        SortKey swap = a[lo];
        a[lo] = a[hi];
        a[hi] = swap;
    }
}

/* Sorts a[lo .. hi) of which a[lo .. sortedEnd) is already in order.  Each new
 * entry goes after every equal name before it, which keeps equal names in order. */
static void InsertKeys(SortKey *a, int lo, int hi, int sortedEnd)
{
    for (int i = sortedEnd; i < hi; i++) {
        SortKey item = a[i];
        int left = lo, right = i;
        while (left < right) {
            int middle = left + (right - left) / 2;
            if (CompareKeys(&item, &a[middle]) < 0)
                right = middle;
            else
                left = middle + 1;
        }
        memmove(a + left + 1, a + left, (size_t)(i - left) * sizeof(SortKey));
        a[left] = item;
    }
}

/* Finds the run that starts at lo and leaves it in ascending order; returns its
 * length.  A descending run (equal neighbours allowed) is turned round, and then
 * each block of equal names in it is turned back, so equal names keep the order
 * in which they arrived: a list sorted backwards costs one pass. */
static int TakeRun(SortKey *a, int lo, int n)
{
    int hi = lo + 1;
    if (hi == n)
        return 1;
    if (CompareKeys(&a[hi], &a[lo]) >= 0) {
        while (hi + 1 < n && CompareKeys(&a[hi + 1], &a[hi]) >= 0)
            hi++;
        return hi + 1 - lo;
    }
    int sawEqual = 0;
    for (;;) {
        if (hi + 1 >= n)
            break;
        int order = CompareKeys(&a[hi + 1], &a[hi]);
        if (order > 0)
            break;
        if (order == 0)
            sawEqual = 1;
        hi++;
    }
    hi++;
    ReverseKeys(a, lo, hi);
    if (sawEqual) {
        int start = lo;
        for (int i = lo + 1; i <= hi; i++) {
            if (i == hi || CompareKeys(&a[i], &a[i - 1]) != 0) {
                if (i - start > 1)
                    ReverseKeys(a, start, i);
                start = i;
            }
        }
    }
    return hi - lo;
}

/* Merges the ordered ranges src[lo .. mid) and src[mid .. hi) into dst[lo .. hi);
 * on equal names the left one goes first. */
static void MergeKeys(const SortKey *src, SortKey *dst, int lo, int mid, int hi)
{
    if (lo == mid || mid == hi || CompareKeys(&src[mid - 1], &src[mid]) <= 0) {
        memcpy(dst + lo, src + lo, (size_t)(hi - lo) * sizeof(SortKey));
        return;
    }
    if (CompareKeys(&src[hi - 1], &src[lo]) < 0) {
        memcpy(dst + lo, src + mid, (size_t)(hi - mid) * sizeof(SortKey));
        memcpy(dst + lo + (hi - mid), src + lo, (size_t)(mid - lo) * sizeof(SortKey));
        return;
    }
    int i = lo, j = mid, k = lo;
    while (i < mid && j < hi) {
        if (CompareKeys(&src[j], &src[i]) < 0)
            dst[k++] = src[j++];
        else
            dst[k++] = src[i++];
    }
    if (i < mid)
        memcpy(dst + k, src + i, (size_t)(mid - i) * sizeof(SortKey));
    else if (j < hi)
        memcpy(dst + k, src + j, (size_t)(hi - j) * sizeof(SortKey));
}

/* ---- sorting when no memory is left: pointers only, merged in place ---- */

static void ReverseRange(RecordPointer *a, int lo, int hi)
{
    for (hi--; lo < hi; lo++, hi--) {
        RecordPointer swap = a[lo];
        a[lo] = a[hi];
        a[hi] = swap;
    }
}

static void InsertionSort(RecordPointer *a, int lo, int hi)
{
    for (int i = lo + 1; i < hi; i++) {
        RecordPointer item = a[i];
        int left = lo, right = i;
        while (left < right) {
            int middle = left + (right - left) / 2;
            if (CompareFaces(item, a[middle]) < 0)
                right = middle;
            else
                left = middle + 1;
        }
        memmove(a + left + 1, a + left, (size_t)(i - left) * sizeof(RecordPointer));
        a[left] = item;
    }
}

/* First index of a[lo .. hi) whose name is not below item's. */
static int LowerBound(const RecordPointer *a, int lo, int hi, const FontRecord *item)
{
    while (lo < hi) {
        int middle = lo + (hi - lo) / 2;
        if (CompareFaces(a[middle], item) < 0)
            lo = middle + 1;
        else
            hi = middle;
    }
    return lo;
}

/* First index of a[lo .. hi) whose name is above item's. */
static int UpperBound(const RecordPointer *a, int lo, int hi, const FontRecord *item)
{
    while (lo < hi) {
        int middle = lo + (hi - lo) / 2;
        if (CompareFaces(item, a[middle]) < 0)
            hi = middle;
        else
            lo = middle + 1;
    }
    return lo;
}

/* Merges a[lo .. mid) and a[mid .. hi) in place by rotations. */
static void MergeInPlace(RecordPointer *a, int lo, int mid, int hi)
{
    if (lo == mid || mid == hi || CompareFaces(a[mid - 1], a[mid]) <= 0)
        return;
    if (hi - lo == 2) {
        ReverseRange(a, lo, hi);
        return;
    }
    int cutLeft, cutRight;
    if (mid - lo > hi - mid) {
        cutLeft = lo + (mid - lo) / 2;
        cutRight = LowerBound(a, mid, hi, a[cutLeft]);
    } else {
        cutRight = mid + (hi - mid) / 2;
        cutLeft = UpperBound(a, lo, mid, a[cutRight]);
    }
    /* Swap the blocks a[cutLeft .. mid) and a[mid .. cutRight). */
    ReverseRange(a, cutLeft, mid);
    ReverseRange(a, mid, cutRight);
    ReverseRange(a, cutLeft, cutRight);
    int newMid = cutLeft + (cutRight - mid);
    MergeInPlace(a, lo, cutLeft, newMid);
    MergeInPlace(a, newMid, cutRight, hi);
}

static void SortWithoutBuffer(RecordPointer *a, int n)
{
    for (int lo = 0; lo < n; lo += MIN_RUN)
        InsertionSort(a, lo, n - lo > MIN_RUN ? lo + MIN_RUN : n);
    for (long long width = MIN_RUN; width < n; width *= 2) {
        for (long long lo = 0; lo + width < n; lo += 2 * width) {
            long long hi = lo + 2 * width < n ? lo + 2 * width : n;
            MergeInPlace(a, (int)lo, (int)(lo + width), (int)hi);
        }
    }
}

/* A stable sort by face name: the same order as repeated odd-even transposition
 * passes that exchange a pair only when the first name is greater, at the cost of
 * a merge sort.  Ascending and descending runs already in the list are taken
 * whole, so a sorted Catalogue costs one pass of comparisons.  Without memory for
 * its keys it still sorts, more slowly, by merging the pointers in place. */
int SortCatalogue(void)
{
    int n = catalogue.count;
    RecordPointer *records = catalogue.records;
    if (n < 2 || records == NULL)
        return 1;

    int maxRuns = n / MIN_RUN + 2;
    void *block = NULL;
    if ((size_t)n <= ((size_t)-1 - (size_t)maxRuns * sizeof(int)) / (2 * sizeof(SortKey)))
        block = SeamMalloc(2 * (size_t)n * sizeof(SortKey) + (size_t)maxRuns * sizeof(int));
    if (block == NULL) {
        SortWithoutBuffer(records, n);
        return 1;
    }
    SortKey *keys = (SortKey *)block;
    SortKey *spare = keys + n;
    int *bounds = (int *)(spare + n); /* run k is bounds[k] .. bounds[k + 1] */
    for (int i = 0; i < n; i++)
        MakeKey(&keys[i], records[i]);

    int runs = 0;
    bounds[0] = 0;
    for (int lo = 0; lo < n;) {
        int length = TakeRun(keys, lo, n);
        if (length < MIN_RUN) {
            int hi = n - lo > MIN_RUN ? lo + MIN_RUN : n;
            InsertKeys(keys, lo, hi, lo + length);
            length = hi - lo;
        }
        lo += length;
        bounds[++runs] = lo;
    }

    /* Merge neighbouring runs pairwise, back and forth between the two arrays. */
    SortKey *src = keys, *dst = spare;
    while (runs > 1) {
        int merged = 0;
        for (int r = 0; r < runs; r += 2) {
            int lo = bounds[r], mid = bounds[r + 1];
            int hi = r + 2 <= runs ? bounds[r + 2] : mid;
            MergeKeys(src, dst, lo, mid, hi);
            bounds[++merged] = hi;
        }
        runs = merged;
        SortKey *swap = src;
        src = dst;
        dst = swap;
    }
    for (int i = 0; i < n; i++)
        records[i] = src[i].record;
    free(block);
    return 1;
}

/* ---- the name filter ---- */

/* Length of text, reading no more than limit bytes of it. */
static int BoundedLength(const char *text, int limit)
{
    int length = 0;
    while (length < limit && text[length] != 0)
        length++;
    return length;
}

/* Lower-cases A-Z only; every other byte stays as it is. */
static void LowerAscii(char *text, int length)
{
    for (int i = 0; i < length; i++) {
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = (char)(text[i] - 'A' + 'a');
    }
}

static int PartMatches(const char *subject, int subjectLength, const char *part, int partLength)
{
    if (partLength > subjectLength)
        return 0;
    switch (settings.filterMode) {
    case IDC_FILTER_AT_END:
        return memcmp(subject + subjectLength - partLength, part, (size_t)partLength) == 0;
    case IDC_FILTER_BEGIN:
        return memcmp(subject, part, (size_t)partLength) == 0;
    case IDC_FILTER_ANYWHERE:
        for (int at = 0; at + partLength <= subjectLength; at++) {
            if (memcmp(subject + at, part, (size_t)partLength) == 0)
                return 1;
        }
        return 0;
    }
    return 0;
}

/* The filter text is a list of parts split at commas, taken as typed (no blanks
 * trimmed); the first part that occurs in the name as the mode says is a match.
 * An empty part matches every name; a comma at the very end adds no part.  The
 * name and the filter are compared as copies, so neither stored text changes. */
int MatchesFilter(const FontRecord *record)
{
    char subject[NAME_SIZE];
    char filter[NAME_SIZE];
    int subjectLength;
    if (settings.sourceIsDirectory) {
        subjectLength = BoundedLength(record->fullFontName, NAME_SIZE - 1);
        memcpy(subject, record->fullFontName, (size_t)subjectLength);
    } else {
        subjectLength = BoundedLength(record->logFont.lfFaceName, LF_FACESIZE);
        memcpy(subject, record->logFont.lfFaceName, (size_t)subjectLength);
    }
    subject[subjectLength] = 0;
    int filterLength = BoundedLength(settings.filterText, NAME_SIZE - 1);
    memcpy(filter, settings.filterText, (size_t)filterLength);
    filter[filterLength] = 0;
    if (!settings.filterCaseSensitive) {
        LowerAscii(subject, subjectLength);
        LowerAscii(filter, filterLength);
    }

    for (int start = 0; start < filterLength;) {
        int end = start;
        while (end < filterLength && filter[end] != ',')
            end++;
        if (PartMatches(subject, subjectLength, filter + start, end - start))
            return 1;
        start = end + 1;
    }
    return 0;
}

/* ---- building the DisplayList ---- */

/* Appends a whole copy of Catalogue record `index`, which remembers where it came
 * from; 0 (after the message) when memory ran out, with the entries made before
 * left as they are. */
static int CopyToDisplayList(int index)
{
    if (!MakeRoomForRecord(&displayList)) {
        ShowWarning(textNoMemory, NULL);
        return 0;
    }

    FontRecord *copy = (FontRecord *)SeamMalloc(sizeof(FontRecord));
    if (copy == NULL) {
        ShowWarning(textNoMemory, NULL);
        return 0;
    }
    memcpy(copy, catalogue.records[index], sizeof(FontRecord));
    copy->catalogueIndex = index;
    displayList.records[displayList.count] = copy;
    displayList.count++;
    return 1;
}

static int IsAdmitted(const FontRecord *record)
{
    if (settings.filterOn && !MatchesFilter(record))
        return 0;
    if (settings.trueTypeOnly && !(record->fontType & TRUETYPE_FONTTYPE))
        return 0;
    return 1;
}

/* A style as two bits; the bold bit comes from the file's bold flag, not from
 * the weight. */
enum { STYLE_ITALIC = 1, STYLE_BOLD = 2, STYLE_BOLD_ITALIC = 3 };

static int StyleOf(const FontRecord *record)
{
    return (record->logFont.lfItalic ? STYLE_ITALIC : 0) | (record->boldFlag ? STYLE_BOLD : 0);
}

/* What the style selection remembers of the family being read: Catalogue indices,
 * -1 for none. */
struct FamilyChoice {
    int first;          /* the family's first admitted record */
    int firstIsWanted;  /* the first has exactly the wanted style */
    int lastWanted;     /* last later record of exactly the wanted style */
    int lastBoldItalic; /* last record, the first included, that is bold and italic */
    int firstItalic;    /* first later record that is italic and not bold */
    int lastBold;       /* last later record that is bold and not italic */
};

static void StartFamily(FamilyChoice *family, int index, int wanted)
{
    int style = StyleOf(catalogue.records[index]);
    family->first = index;
    family->firstIsWanted = style == wanted;
    family->lastWanted = -1;
    family->lastBoldItalic = style == STYLE_BOLD_ITALIC ? index : -1;
    family->firstItalic = -1;
    family->lastBold = -1;
}

static void AddToFamily(FamilyChoice *family, int index, int wanted)
{
    int style = StyleOf(catalogue.records[index]);
    if (style == wanted)
        family->lastWanted = index;
    if (style == STYLE_BOLD_ITALIC)
        family->lastBoldItalic = index;
    if (style == STYLE_ITALIC && family->firstItalic < 0)
        family->firstItalic = index;
    if (style == STYLE_BOLD)
        family->lastBold = index;
}

/* The one record a family shows.  For Bold + Italic a missing bold italic is
 * stood in for by an italic, then by a bold; for the other styles the first
 * record of the family wins unless a later one has the style and it has not. */
static int ChosenRecord(const FamilyChoice *family, int wanted)
{
    if (wanted != STYLE_BOLD_ITALIC) {
        if (family->firstIsWanted || family->lastWanted < 0)
            return family->first;
        return family->lastWanted;
    }
    if (family->lastBoldItalic >= 0)
        return family->lastBoldItalic;
    if (family->firstItalic >= 0)
        return family->firstItalic;
    if (family->lastBold >= 0)
        return family->lastBold;
    return family->first;
}

/* One record per family of admitted records, in Catalogue order.  Records that
 * are not admitted are stepped over: they neither split nor end a family. */
static int BuildOnePerFamily(void)
{
    int wanted = (settings.italic ? STYLE_ITALIC : 0) | (settings.bold ? STYLE_BOLD : 0);
    FamilyChoice family = {-1, 0, -1, -1, -1, -1};
    int open = 0;
    for (int i = 0; i < catalogue.count; i++) {
        const FontRecord *record = catalogue.records[i];
        if (!IsAdmitted(record))
            continue;
        if (open && CompareFaces(catalogue.records[family.first], record) == 0) {
            AddToFamily(&family, i, wanted);
            continue;
        }
        if (open && !CopyToDisplayList(ChosenRecord(&family, wanted)))
            return -1;
        StartFamily(&family, i, wanted);
        open = 1;
    }
    if (open && !CopyToDisplayList(ChosenRecord(&family, wanted)))
        return -1;
    return 1;
}

/* Installed families take their style only when drawn; so does a folder while
 * All is the style in force.  Otherwise a folder shows one file per family. */
int BuildDisplayList(void)
{
    if (catalogue.count == 0 || catalogue.records == NULL)
        return 1;
    int everyStyle = settings.allStyles && !settings.italic && !settings.bold;
    if (settings.sourceIsDirectory && !everyStyle)
        return BuildOnePerFamily();
    for (int i = 0; i < catalogue.count; i++)
        if (IsAdmitted(catalogue.records[i]) && !CopyToDisplayList(i))
            return -1;
    return 1;
}

/* ---- the filter dialog (DIALOG_SPECENDS) ---- */

static INT_PTR OnFilterInitDialog(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_FILTER_TEXT, settings.filterText);
    if (settings.filterMode == IDC_FILTER_AT_END || settings.filterMode == IDC_FILTER_ANYWHERE ||
        settings.filterMode == IDC_FILTER_BEGIN)
        CheckDlgButton(dialog, settings.filterMode, BST_CHECKED);
    if (settings.filterCaseSensitive == 1)
        CheckDlgButton(dialog, IDC_FILTER_CASE, BST_CHECKED);
    return TRUE;
}

/* OK takes the dialog's filter and switches filtering on; an empty text is
 * stored as "-".  Cancel changes nothing. */
static INT_PTR OnFilterCommand(HWND dialog, WPARAM wParam)
{
    if (wParam == IDOK) {
        TakeDialogText(dialog, IDC_FILTER_TEXT, settings.filterText, NAME_SIZE);
        if (settings.filterText[0] == 0)
            strcpy(settings.filterText, "-");
        settings.filterOn = 1;
        if (IsDlgButtonChecked(dialog, IDC_FILTER_AT_END) == BST_CHECKED)
            settings.filterMode = IDC_FILTER_AT_END;
        if (IsDlgButtonChecked(dialog, IDC_FILTER_ANYWHERE) == BST_CHECKED)
            settings.filterMode = IDC_FILTER_ANYWHERE;
        if (IsDlgButtonChecked(dialog, IDC_FILTER_BEGIN) == BST_CHECKED)
            settings.filterMode = IDC_FILTER_BEGIN;
        settings.filterCaseSensitive = IsDlgButtonChecked(dialog, IDC_FILTER_CASE) == BST_CHECKED;
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (wParam == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK FilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnFilterInitDialog(dialog);
    case WM_COMMAND: return OnFilterCommand(dialog, wParam);
    }
    return FALSE;
}
