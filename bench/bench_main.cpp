// Benchmark: end-to-end time per dialog type, the folder road's phases,
// recognition cost as the desktop grows, and the cost of a message through
// the finished hook. Prints a table and writes the same figures as CSV (first
// argument, default bench.csv).

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/recognition.h"
#include "folderdialogs/display_path.h"
#include "folderdialogs/folder_driver.h"
#include "hooklib/CorvaneLib.h"
#include "support/host.h"
#include "support/text.h"
#include "support/windows.h"

namespace {

using namespace corvane;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Stats {
    double min = 0, median = 0, max = 0;
};

Stats Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    Stats stats;
    if (samples.empty())
        return stats;
    stats.min = samples.front();
    stats.max = samples.back();
    const std::size_t n = samples.size();
    stats.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return stats;
}

struct Row {
    std::string section, name;
    Stats stats;
    double baseline = 0;
    double mandatory = 0;
    std::string unit;
    std::string note;
};

std::vector<Row> rows;

// Milliseconds from starting the program to its exit.
double TimeRun(const std::vector<std::wstring>& arguments, const std::wstring& arch, int* status) {
    const double start = NowMs();
    *status = test::RunCorvane(arguments, arch, 60000);
    return NowMs() - start;
}

struct Road {
    std::string type;
    std::vector<std::wstring> host;
    std::wstring target;
    double mandatoryMs;
    std::string note;
    // File targets alternate between two folders, so that every run changes
    // folder; unset, every run goes where the dialog is already.
    bool alternate = true;
};

// A stand-in of the item dialogs whose change of folder ends delayMs after
// the command (the box shown meanwhile when it takes long, as on a network
// folder).
std::vector<std::wstring> ItemStandIn(const wchar_t* layout, const std::wstring& folder, const wchar_t* delayMs) {
    std::vector<std::wstring> arguments{L"standin", layout, L"--late-navigation", delayMs, L"--dir", folder};
    if (std::wstring(delayMs) == L"2500")
        arguments.push_back(L"--shown-during-navigation");
    return arguments;
}

void BenchEndToEnd(const std::wstring& arch, int runs) {
    test::TempFolder folder(L"corvane-bench");
    const std::wstring dir = folder.MakeFolder(L"reports\\2026");
    const std::wstring file = dir + L"\\summary.txt";
    const std::wstring otherFile = folder.MakeFolder(L"reports\\2025") + L"\\summary.txt";
    const std::wstring& root = folder.path();
    const Road roads[] = {
        {"StandardFileDialog (Wine's open dialog, changing folder)", {L"open", L"--dir", root}, file, 100,
         "100 ms before the name is read back"},
        {"StandardFileDialog (Wine's open dialog, in the target folder already)", {L"open", L"--dir", dir}, file, 100,
         "keeps the folder text: one more OK command; 100 ms before the read-back", false},
        {"StandardFileDialog (Windows 10/11 Open stand-in, change inside the command)",
         ItemStandIn(L"ItemOpen", root, L"0"), file, 300, "breadcrumb; 100 + 200 ms for the name"},
        {"StandardFileDialog (Open stand-in, change ends 150 ms later)", ItemStandIn(L"ItemOpen", root, L"150"), file,
         450, "breadcrumb; the change, then 100 + 200 ms for the name"},
        {"StandardFileDialog (Open stand-in, change ends 2.5 s later)", ItemStandIn(L"ItemOpen", root, L"2500"), file,
         2800, "breadcrumb, box shown meanwhile; the change, then 100 + 200 ms for the name"},
        {"KeyboardFileDialog (F4 stand-in)", {L"standin", L"F4", L"--dir", root}, file, 200,
         "no breadcrumb: two input batches; 200 ms that the name must stay"},
        {"KeyboardFileDialog (Windows 10/11 Save stand-in, change inside Enter)", ItemStandIn(L"ItemSave", root, L"0"),
         file, 200, "breadcrumb; 200 ms that the name must stay"},
        {"KeyboardFileDialog (Save stand-in, change ends 150 ms later)", ItemStandIn(L"ItemSave", root, L"150"), file,
         350, "breadcrumb; the change, then 200 ms that the name must stay"},
        {"KeyboardFileDialog (Save stand-in, change ends 2.5 s later)", ItemStandIn(L"ItemSave", root, L"2500"), file,
         2700, "breadcrumb, box shown meanwhile; the change, then 200 ms that the name must stay"},
        {"OfficeFileDialog (O1 stand-in)", {L"standin", L"O1", L"--dir", root}, file, 400,
         "50 ms before and after Enter, 100 + 200 ms for the name"},
        {"FolderPickerOrItemDialog (real folder picker)", {L"item-pick", L"--dir", folder.path()}, dir, 100,
         "100 ms before the box is read back"},
        {"OldFolderBrowser (real folder dialog)", {L"browse"}, dir, 0, "waits for the hook's reply"},
        {"NewFolderBrowser (new-style stand-in)", {L"folder-standin"}, dir, 0, "waits for the hook's reply"},
    };

    const std::string section = "end-to-end " + test::ToUtf8(arch);
    for (const Road& road : roads) {
        test::HostDialog host(road.host, arch);
        if (host.dialog() == nullptr) {
            rows.push_back({section, road.type, {}, 0, 0, "ms", "host did not start"});
            continue;
        }
        // The baseline is measured beside the figure, run for run.
        std::vector<double> filled, started;
        int status = 0;
        int baselineStatus = 0;
        for (int i = 0; i < runs; ++i) {
            const bool other = road.alternate && i % 2 == 1 && road.target == file;
            filled.push_back(TimeRun({other ? otherFile : road.target}, arch, &status));
            started.push_back(TimeRun({L"a", L"b"}, arch, &baselineStatus));
        }
        rows.push_back({section, road.type, Summarise(filled), Summarise(started).median, road.mandatoryMs, "ms",
                        road.note + "; exit " + std::to_string(status) +
                            "; baseline: process start with two arguments (exit " +
                            std::to_string(baselineStatus) + ")"});
    }
}

// Selects the tree's root item from outside, so that every run of the walk
// selects each level anew.
void SelectTreeRoot(HWND dialog) {
    const HWND tree = GetDlgItem(dialog, 14145);
    const LRESULT root = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, root);
}

// The folder road's steps one by one, in this process, against the real
// old-style folder dialog of the host and a target five folders below the
// temporary folder. The hook's walk goes on level by level as the dialog
// carries out the selections and expansions it posts, and sends no reply
// before its end; it is timed as the difference between the whole walk and
// one that ends at the first level.
void BenchFolderPhases(int runs) {
    test::TempFolder folder(L"corvane-bench");
    const std::wstring target = folder.MakeFolder(L"one\\two\\three\\four\\five");
    test::HostDialog host({L"browse"});
    const std::string section = "folder phases";
    if (host.dialog() == nullptr) {
        rows.push_back({section, "real old-style folder dialog", {}, 0, 0, "ms", "host did not start"});
        return;
    }
    std::vector<double> resolve, probe, arming, walk, cleanUp, total;
    std::string outcome = "finished";
    int notYetReplies = 0;
    std::size_t levels = 0;
    for (int i = 0; i < runs; ++i) {
        SelectTreeRoot(host.dialog());
        const double start = NowMs();
        const std::wstring displayPath = ResolveDisplayPath(target);
        const double resolved = NowMs();
        levels = std::count(displayPath.begin(), displayPath.end(), cvlib::kComponentSeparator) + 1;
        ProbePathChain(target);
        const double probed = NowMs();
        double ended = 0;
        double cleaned = 0;
        {
            FolderHookSession session(host.dialog(), displayPath, OldFolderBrowser);
            HookReply reply = session.AwaitReply();
            for (; reply.kind == WalkReply::NotYet; reply = session.AwaitReply()) {
                ++notYetReplies;
                session.Nudge();
            }
            if (reply.kind != WalkReply::Finished)
                outcome = "NOT finished";
            ended = NowMs();
            session.End();
            cleaned = NowMs();
        }
        // Arming alone: a path whose first component no item has.
        const double armingStart = NowMs();
        {
            FolderHookSession session(host.dialog(), L"\x01", OldFolderBrowser);
            if (session.AwaitReply().kind != WalkReply::NotReached)
                outcome = "first-level walk NOT ended";
            arming.push_back(NowMs() - armingStart);
        }
        resolve.push_back(resolved - start);
        probe.push_back(probed - resolved);
        walk.push_back(ended - probed - arming.back());
        cleanUp.push_back(cleaned - ended);
        total.push_back(cleaned - start);
    }
    const std::string note = "; " + outcome + ", " + std::to_string(notYetReplies) + " not-yet replies in " +
                             std::to_string(runs) + " runs";
    const std::string depth = std::to_string(levels) + " levels";
    rows.push_back({section, "display path (" + depth + ")", Summarise(resolve), 0, 0, "ms", ""});
    rows.push_back({section, "probing the path and its ancestors", Summarise(probe), 0, 0, "ms", ""});
    rows.push_back({section, "carrier + hook installed to first reply", Summarise(arming), 0, 0, "ms",
                    "walk ends at the first level" + note});
    rows.push_back({section, "the walk (" + depth + ")", Summarise(walk), 0, 0, "ms",
                    "install to final reply, less the row above" + note});
    rows.push_back({section, "clean-up (unhook, foreground, carrier)", Summarise(cleanUp), 0, 0, "ms", ""});
    rows.push_back({section, "all phases", Summarise(total), 0, 0, "ms", "compare the end-to-end row's added time"});
}

// A top-level window of an unlisted class, or a "#32770" with 30 controls
// that match no signature.
test::OwnedWindow MakeNoise(bool dialogLike) {
    if (!dialogLike)
        return test::CreateTopLevel(L"CorvaneBenchNoise");
    test::OwnedWindow window = test::CreateTopLevel(L"#32770");
    for (int i = 0; i < 30; ++i)
        test::CreateChild(window.get(), i % 2 ? L"Button" : L"Static", 2000 + i);
    return window;
}

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

void BenchRecognition(int repeats) {
    for (const bool dialogLike : {false, true}) {
        for (const int extra : {10, 100, 1000}) {
            std::vector<test::OwnedWindow> noise;
            for (int i = 0; i < extra; ++i)
                noise.push_back(MakeNoise(dialogLike));
            std::vector<double> recognise, enumerate;
            for (int r = 0; r < repeats; ++r) {
                double t0 = NowMs();
                FindTargetDialog();
                recognise.push_back((NowMs() - t0) * 1000.0 / extra);
                int count = 0;
                t0 = NowMs();
                EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
                enumerate.push_back((NowMs() - t0) * 1000.0 / extra);
            }
            const std::string kind = dialogLike ? "\"#32770\" with 30 controls" : "unlisted class";
            rows.push_back({"recognition", std::to_string(extra) + " extra windows, " + kind, Summarise(recognise),
                            Summarise(enumerate).median, 0, "us/window",
                            "baseline: EnumWindows with an empty callback"});
        }
    }
}

// Posts and retrieves messages on this thread, with and without the hook
// that has finished its walk.
double MessageRoundTripUs(int count) {
    MSG message;
    const double start = NowMs();
    for (int i = 0; i < count; ++i) {
        PostThreadMessageW(GetCurrentThreadId(), WM_USER + 7, 0, 0);
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    }
    return (NowMs() - start) * 1000.0 / count;
}

void BenchHook(int repeats) {
    const int count = 20000;
    test::OwnedWindow dialog = test::CreateTopLevel(L"#32770");
    test::CreateChild(dialog.get(), L"SysTreeView32", 14145);
    test::OwnedWindow carrier = test::CreateTopLevel(L"CorvaneBenchCarrier");
    SetWindowTextW(carrier.get(), L"No such item");

    std::vector<double> without, with;
    for (int r = 0; r < repeats; ++r)
        without.push_back(MessageRoundTripUs(count));
    const HHOOK hook = CVLib_SetFolderDialog(dialog.get(), carrier.get(), OldFolderBrowser);
    test::PumpMessages(50); // the walk runs and finishes on the first retrieved message
    for (int r = 0; r < repeats; ++r)
        with.push_back(MessageRoundTripUs(count));
    if (hook != nullptr)
        UnhookWindowsHookEx(hook);
    rows.push_back({"hook", "post + retrieve one message, hook done", Summarise(with), Summarise(without).median, 0,
                    "us/message", hook ? "baseline: same without hook" : "hook NOT installed"});
}

std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", value);
    return text;
}

void Print(const std::string& csvPath) {
    std::printf("%-16s %-52s %10s %10s %10s %10s %10s %10s  %s\n", "section", "case", "min", "median", "max",
                "baseline", "mandatory", "added", "unit / note");
    std::ofstream csv(csvPath);
    csv << "section,case,min,median,max,baseline,mandatory,added,unit,note\n";
    for (const Row& row : rows) {
        const double added = row.stats.median - row.baseline - row.mandatory;
        std::printf("%-16s %-52s %10s %10s %10s %10s %10s %10s  %s; %s\n", row.section.c_str(), row.name.c_str(),
                    Fixed(row.stats.min).c_str(), Fixed(row.stats.median).c_str(), Fixed(row.stats.max).c_str(),
                    Fixed(row.baseline).c_str(), Fixed(row.mandatory).c_str(), Fixed(added).c_str(),
                    row.unit.c_str(), row.note.c_str());
        csv << row.section << ",\"" << row.name << "\"," << Fixed(row.stats.min) << "," << Fixed(row.stats.median)
            << "," << Fixed(row.stats.max) << "," << Fixed(row.baseline) << "," << Fixed(row.mandatory) << ","
            << Fixed(added) << "," << row.unit << ",\"" << row.note << "\"\n";
    }
    std::fflush(stdout);
}

} // namespace

int wmain(int count, wchar_t** arguments) {
    const std::string csv = count > 1 ? test::ToUtf8(arguments[1]) : "bench.csv";
    const int runs = count > 2 ? _wtoi(arguments[2]) : 20;
    test::RegisterStandInClasses();
    BenchEndToEnd(L"x86-64", runs);
    if (test::WhyArchitectureCannotRun(L"x86-32").empty())
        BenchEndToEnd(L"x86-32", runs);
    else
        std::printf("x86-32: not measured, this machine cannot start 32-bit programs\n");
    BenchFolderPhases(runs);
    BenchRecognition(5);
    BenchHook(5);
    Print(csv);
    return 0;
}
