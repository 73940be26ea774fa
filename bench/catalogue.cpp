/* catalogue.cpp - benchmark of the font catalogue: sorting and rebuilding 100,000
 * folder records with realistic face names (families of 1 to 20 styles), and the
 * scan of the installed fonts.
 *
 * Each figure is printed with a baseline measured in the same run on the same
 * data: the sort against std::stable_sort over the same pointers with the same
 * byte order (for input already sorted, backwards and shuffled); the rebuild
 * against a plain copy of every record; the scan against a bare enumeration.
 * Each time is the median of several repeats.  Touches only the two lists and
 * the settings.  Run by hand under Wine: bench_catalogue.exe, or
 * bench_catalogue.exe sort for the sort figures alone. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "bench/benchclock.h"
#include "bench/benchcommon.h"
#include "catalogue/fontlist.h"
#include "resources/resource.h"

namespace {

const int kRecords = 100000;
const int kRepeats = 9;

/* Face names as font folders have them: a design name, a kind, now and then a
 * script or a code-page suffix. */
std::vector<std::string> FamilyNames(std::mt19937 &random, int wanted)
{
    static const char *const designs[] = {
        "DejaVu", "Liberation", "Noto", "Source", "Open", "Roboto", "Fira", "IBM Plex", "PT",
        "Droid", "Ubuntu", "Cantarell", "Linux", "Gentium", "Charis", "Nimbus", "URW",
        "TeX Gyre", "Latin Modern", "Bitstream", "Free", "Lato", "Merriweather", "Montserrat",
        "Oswald", "Raleway", "Playfair", "Inconsolata", "Hack", "Cascadia", "JetBrains",
        "Iosevka", "Crimson", "EB Garamond", "Libre", "Alegreya", "Cormorant", "Josefin",
        "Quicksand", "Arimo", "Tinos", "Cousine", "Carlito", "Caladea", "Bodoni", "Futura",
        "Helvetica", "Times", "Courier", "Arial", "Verdana", "Georgia", "Tahoma", "Trebuchet",
        "Palatino", "Century", "Gill", "Franklin", "Segoe", "Calibri", "Cambria", "Consolas",
        "Lucida", "Bookman", "Garamond", "Baskerville", "Caslon", "Didot", "Optima", "Rockwell",
        "Avenir", "Frutiger", "Univers", "Myriad", "Minion", "ar PL", "MS", "Monotype"};
    static const char *const kinds[] = {
        "Sans", "Serif", "Mono", "Slab", "Text", "Display", "Condensed", "Narrow", "Rounded",
        "Grotesk", "Book", "Pro", "Std", "UI", "Code", "Script", "Hand", "Caption", "Title", ""};
    static const char *const suffixes[] = {
        "Arabic", "Hebrew", "Devanagari", "Bengali", "Thai", "Georgian", "Armenian", "Ethiopic",
        "Khmer", "Lao", "Myanmar", "Sinhala", "Tamil", "Telugu", "Kannada", "Malayalam",
        "Gujarati", "Gurmukhi", "Tibetan", "Mongolian", "CJK JP", "CJK KR", "CJK SC", "CJK TC",
        "Symbols", "Math", "CE", "Cyr", "Greek", "Baltic", "Tur", "pl", "Light", "Medium",
        "Black", "Thin"};
    const size_t designCount = sizeof designs / sizeof designs[0];
    const size_t kindCount = sizeof kinds / sizeof kinds[0];
    const size_t suffixCount = sizeof suffixes / sizeof suffixes[0];
    std::set<std::string> seen;
    std::vector<std::string> names;
    while ((int)names.size() < wanted) {
        std::string name = designs[random() % designCount];
        const char *kind = kinds[random() % kindCount];
        if (kind[0] != 0)
            name += std::string(" ") + kind;
        if (random() % 3 != 0)
            name += std::string(" ") + suffixes[random() % suffixCount];
        if (name.size() > LF_FACESIZE - 1)
            name.resize(LF_FACESIZE - 1);
        if (seen.insert(name).second)
            names.push_back(name);
    }
    return names;
}

/* Fills the Catalogue as a folder scan would: families of 1 to 20 files. */
void FillCatalogue(std::mt19937 &random)
{
    settings.sourceIsDirectory = 1;
    std::vector<std::string> families = FamilyNames(random, kRecords / 5);
    FontRecord image;
    for (size_t f = 0; catalogue.count < kRecords; f++) {
        const std::string &family = families[f % families.size()];
        int styles = 1 + (int)(random() % 20);
        for (int s = 0; s < styles && catalogue.count < kRecords; s++) {
            memset(&image, 0, sizeof image);
            snprintf(image.logFont.lfFaceName, LF_FACESIZE, "%s", family.c_str());
            image.logFont.lfItalic = (BYTE)(random() % 2);
            image.boldFlag = random() % 2 ? 32 : 0;
            image.logFont.lfWeight = image.boldFlag ? 700 : 400;
            snprintf(image.fileName, sizeof image.fileName, "font%06d.ttf", catalogue.count);
            snprintf(image.fullFontName, sizeof image.fullFontName, "%s %d", family.c_str(), s);
            AppendFontRecord(&image.logFont, &image.textMetrics, TRUETYPE_FONTTYPE, (LPARAM)&image);
        }
    }
}


double TimeStableSort(const std::vector<FontRecord *> &input, std::vector<FontRecord *> *result)
{
    *result = input;
    double start = Now();
    std::stable_sort(result->begin(), result->end(), FaceLess);
    return Now() - start;
}

double TimeSortCatalogue(const std::vector<FontRecord *> &input)
{
    memcpy(catalogue.records, input.data(), input.size() * sizeof(FontRecord *));
    double start = Now();
    SortCatalogue();
    return Now() - start;
}

/* The two sorts take turns at going first, so neither profits from the other
 * having just brought the records into the cache. */
void BenchSort(const char *order, const std::vector<FontRecord *> &input)
{
    std::vector<double> ours, baseline;
    std::vector<FontRecord *> expected;
    bool same = true;
    for (int r = 0; r < kRepeats; r++) {
        if (r % 2 == 0) {
            baseline.push_back(TimeStableSort(input, &expected));
            ours.push_back(TimeSortCatalogue(input));
        } else {
            ours.push_back(TimeSortCatalogue(input));
            baseline.push_back(TimeStableSort(input, &expected));
        }
        same = same && memcmp(catalogue.records, expected.data(),
                              expected.size() * sizeof(FontRecord *)) == 0;
    }
    double o = Median(ours), b = Median(baseline);
    printf("sort %-9s  SortCatalogue %8.2f ms   std::stable_sort %8.2f ms   ratio %.2f%s\n",
           order, o, b, o / b, same ? "" : "   ORDER DIFFERS");
}

/* The least a rebuild that keeps every record can cost: one allocation and one
 * block copy per record into an array of the right size. */
double PlainCopy(void)
{
    double start = Now();
    FontRecord **copies = (FontRecord **)malloc((size_t)catalogue.count * sizeof(FontRecord *));
    for (int i = 0; i < catalogue.count; i++) {
        copies[i] = (FontRecord *)malloc(sizeof(FontRecord));
        memcpy(copies[i], catalogue.records[i], sizeof(FontRecord));
    }
    double elapsed = Now() - start;
    for (int i = 0; i < catalogue.count; i++)
        free(copies[i]);
    free(copies);
    return elapsed;
}

void BenchRebuild(const char *what, double baseline, int repeats)
{
    std::vector<double> times;
    int shown = 0;
    for (int r = 0; r < repeats; r++) {
        FreeFontList(&displayList);
        double start = Now();
        BuildDisplayList();
        times.push_back(Now() - start);
        shown = displayList.count;
    }
    FreeFontList(&displayList);
    double t = Median(times);
    printf("rebuild %-28s %8.2f ms  (%6d shown)   plain copy of all %8.2f ms   ratio %.2f\n",
           what, t, shown, baseline, t / baseline);
}

int CALLBACK CountFamily(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM count)
{
    ++*(int *)count;
    return 1;
}

void BenchInstalledScan(void)
{
    HDC dc = GetDC(NULL);
    std::vector<double> scans, bare;
    int reports = 0;
    for (int r = 0; r < kRepeats; r++) {
        reports = 0;
        double start = Now();
        EnumFontFamiliesA(dc, NULL, (FONTENUMPROCA)CountFamily, (LPARAM)&reports);
        bare.push_back(Now() - start);

        settings.sourceIsDirectory = 0;
        FreeFontList(&displayList);
        FreeFontList(&catalogue);
        start = Now();
        ScanFonts(dc);
        SortCatalogue();
        scans.push_back(Now() - start);
    }
    ReleaseDC(NULL, dc);
    double s = Median(scans), b = Median(bare);
    printf("installed scan + sort  %8.2f ms  (%d families of %d reports)   bare enumeration %8.2f ms"
           "   ratio %.2f\n",
           s, catalogue.count, reports, b, s / b);
    FreeFontList(&catalogue);
}

} // namespace

/* With the argument "sort" only the sort figures are measured. */
int main(int argc, char **argv)
{
    bool sortOnly = argc > 1 && strcmp(argv[1], "sort") == 0;
    ResetViewSettings();
    LoadStringA(GetModuleHandleA(NULL), IDS_NO_MEMORY, textNoMemory, 255);
    if (!sortOnly)
        BenchInstalledScan();

    std::mt19937 random(1913);
    double start = Now();
    FillCatalogue(random);
    printf("appending %d folder records: %.2f ms\n", catalogue.count, Now() - start);

    std::vector<FontRecord *> shuffled(catalogue.records, catalogue.records + catalogue.count);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::vector<FontRecord *> sorted = shuffled;
    std::stable_sort(sorted.begin(), sorted.end(), FaceLess);
    std::vector<FontRecord *> backwards(sorted.rbegin(), sorted.rend());
    BenchSort("sorted", sorted);
    BenchSort("backwards", backwards);
    BenchSort("shuffled", shuffled);
    if (sortOnly) {
        FreeFontList(&catalogue);
        return 0;
    }

    /* The rebuilds read the Catalogue in its sorted order. */
    memcpy(catalogue.records, sorted.data(), sorted.size() * sizeof(FontRecord *));
    std::vector<double> copies;
    for (int r = 0; r < kRepeats; r++)
        copies.push_back(PlainCopy());
    double copy = Median(copies);
    settings.sourceIsDirectory = 1;
    settings.allStyles = 1;
    BenchRebuild("all styles", copy, 3); /* seconds each: fewer repeats */
    settings.allStyles = 0;
    BenchRebuild("normal, one per family", copy, kRepeats);
    settings.italic = 1;
    settings.bold = 1;
    BenchRebuild("bold italic, one per family", copy, kRepeats);
    settings.italic = 0;
    settings.bold = 0;
    settings.allStyles = 1;
    settings.filterOn = 1;
    settings.filterMode = IDC_FILTER_ANYWHERE;
    strcpy(settings.filterText, "sans,MONO,ce");
    BenchRebuild("filter anywhere, all styles", copy, kRepeats);

    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    return 0;
}
