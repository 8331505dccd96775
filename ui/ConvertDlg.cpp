// ConvertDlg.cpp: the main window's initialisation and handlers.
#include "ConvertDlg.hpp"

#include "AboutDlg.hpp"
#include "PathDlg.hpp"
#include "convert/Eligibility.hpp"
#include "core/TextConversion.hpp"
#include "platform/Dpi.hpp"
#include "platform/FileSystem.hpp"
#include "platform/MessageBox.hpp"
#include "platform/SystemMenu.hpp"
#include "platform/WindowText.hpp"
#include "res/resource.h"

CConvertDlg::CConvertDlg(HWND parent)
    : platform::CTemplateDialog(IDD_ZENDRIX_DIALOG, parent),
      m_strFilter(kDefaultFilter),
      m_hIcon(::LoadIconW(platform::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CConvertDlg::~CConvertDlg() {
    if (!m_ownIcons) return;
    // The window goes after this: it must not keep icons that are gone.
    if (Handle()) {
        ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, 0);
        ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, 0);
    }
    ::DestroyIcon(m_hIcon);
    ::DestroyIcon(m_hSmallIcon);
}

void CConvertDlg::DoDataExchange(bool save) {
    BindControl(IDC_PROGRESS, m_progress);
    BindControl(IDC_START, m_btnStart);
    BindControl(IDC_STOP, m_btnStop);
    ExchangeRadio(save, IDC_MODE_SINGLE, m_nMode);
    ExchangeRadio(save, IDC_DIRECTION_TO_TRADITIONAL, m_nDirection);
    ExchangeText(save, IDC_DEST_PATH, m_strDest);
    ExchangeText(save, IDC_SOURCE_PATH, m_strSource);
    ExchangeText(save, IDC_FILTER, m_strFilter);
    ExchangeText(save, IDC_SIMPLIFIED_TEXT, m_strSimplified);
    ExchangeText(save, IDC_TRADITIONAL_TEXT, m_strTraditional);
    // The region first: while one is chosen the box shows conversion by words, and keeps its own state.
    // Taken, the box means something only if no region was showing in it until now.
    const int shown = m_nRegion;
    ExchangeList(save, IDC_REGION, m_nRegion);
    if ((save ? shown : m_nRegion) <= 0) ExchangeCheck(save, IDC_BY_WORDS, m_bByWords);
    ExchangeList(save, IDC_OUTPUT_ENCODING, m_nOutputEncoding);
    ExchangeCheck(save, IDC_CONVERT_NAMES, m_bConvertNames);
}

bool CConvertDlg::OnInitDialog() {
    platform::CTemplateDialog::OnInitDialog();

    const std::string about = platform::LoadUtf8String(IDS_ABOUTBOX);
    if (!about.empty()) platform::AppendSystemMenuCommand(Handle(), IDM_ABOUTBOX, about);

    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    ::DragAcceptFiles(Handle(), TRUE);

    const LoadResult loaded = LoadTables(m_tables);
    if (loaded != LoadResult::Loaded) {
        // A table with a foreign banner line is not ours to explain: the window just closes.
        if (loaded == LoadResult::NotOpenable) platform::AppMessageBox("Open File err!");
        End(IDCANCEL);
        return false;
    }

    // Words are an option: without their file (missing, damaged) the window works as ever, the option off.
    m_hasPhrases = LoadPhrases(m_phrases) == PhraseLoadResult::Loaded;
    static const char* const kRegions[4][2] = {
        {"s2tw", "tw2s"}, {"s2twp", "tw2sp"}, {"s2hk", "hk2s"}, {"s2hkp", "hk2sp"}};
    std::string error;
    m_hasRegions = m_hasPhrases;
    for (int r = 0; r < 4 && m_hasRegions; ++r) {
        for (int d = 0; d < 2 && m_hasRegions; ++d) {
            m_hasRegions =
                CConversionChain::Build(kRegions[r][d], m_phrases, m_tables, m_regions[r][d], error);
        }
    }
    // The user's own pairs, when there are any: a file that is not well formed is said once and left out.
    if (platform::PathExists(kUserPairsFileName) && !m_userPairs.Load(kUserPairsFileName, error)) {
        platform::AppMessageBox(error + "\nThe program works without the pairs of this file.");
    }
    FillList(IDC_REGION, {"通用", "台湾", "台湾用词", "香港", "香港用词"});
    FillList(IDC_OUTPUT_ENCODING, {"与原文相同", "GBK", "Big5", "UTF-8", "UTF-16"});
    ShowValues();
    ::EnableWindow(Item(IDC_REGION), m_hasRegions ? TRUE : FALSE);
    ShowRegion();

    m_progress.SetPos(m_progressPos = 0);
    m_progress.SetRange(0, 1000);
    return true;
}

bool CConvertDlg::OnCommand(int id, int code, HWND control) {
    if (code == EN_CHANGE) {
        switch (id) {
            case IDC_SIMPLIFIED_TEXT:
            case IDC_TRADITIONAL_TEXT:
            case IDC_SOURCE_PATH:
            case IDC_DEST_PATH:
            case IDC_FILTER:
                TakeValues();
                return true;
            default:
                return false;
        }
    }
    if (code == CBN_SELCHANGE) {
        switch (id) {
            case IDC_REGION:
                TakeValues();
                ShowRegion();
                return true;
            case IDC_OUTPUT_ENCODING:
                TakeValues();
                return true;
            default:
                return false;
        }
    }
    if (code == BN_CLICKED) {
        switch (id) {
            case IDC_TO_TRADITIONAL:
                OnToTraditional();
                return true;
            case IDC_TO_SIMPLIFIED:
                OnToSimplified();
                return true;
            case IDC_MODE_SINGLE:
                OnModeSingle();
                return true;
            case IDC_MODE_BATCH:
                OnModeBatch();
                return true;
            case IDC_START:
                OnStart();
                return true;
            case IDC_STOP:
                OnStop();
                return true;
            case IDC_BROWSE_SOURCE:
                OnBrowseSource();
                return true;
            case IDC_BROWSE_DEST:
                OnBrowseDest();
                return true;
            case IDC_ABOUT:
                OnAbout();
                return true;
            case IDC_BY_WORDS:
            case IDC_CONVERT_NAMES:
                TakeValues();
                return true;
            case IDCLOSE:
                OnCancel();
                return true;
            default:
                break;
        }
    }
    return platform::CTemplateDialog::OnCommand(id, code, control);
}

// Closing ends the program. A batch walk runs inside Start's handler, under the message that closed the
// window: it stops after the file in hand, as Stop makes it, instead of going on behind a hidden window.
void CConvertDlg::OnOK() {
    m_bStop = true;
    platform::CTemplateDialog::OnOK();
}

void CConvertDlg::OnCancel() {
    m_bStop = true;
    platform::CTemplateDialog::OnCancel();
}

RunMode CConvertDlg::Mode() const { return m_nMode == 1 ? RunMode::Batch : RunMode::SingleFile; }

Direction CConvertDlg::RunDirection() const {
    return m_nDirection == 1 ? Direction::ToSimplified : Direction::ToTraditional;
}

CTextConversion CConvertDlg::TextConversion(Direction direction) const {
    const CUserPairs* user = m_userPairs.Empty() ? nullptr : &m_userPairs;
    if (m_hasRegions && m_nRegion >= 1 && m_nRegion <= 4) {
        return CTextConversion(m_tables,
                               m_regions[m_nRegion - 1][direction == Direction::ToTraditional ? 0 : 1])
            .Prefer(user);
    }
    return CTextConversion(m_tables, direction, m_bByWords && m_hasPhrases ? &m_phrases : nullptr)
        .Prefer(user);
}

std::optional<TextEncoding> CConvertDlg::OutputEncoding() const {
    // UTF-16 as Windows writes Unicode text: little-endian, with its byte order mark.
    static const std::optional<TextEncoding> kEncodings[] = {
        std::nullopt, TextEncoding::Gbk, TextEncoding::Big5, TextEncoding::Utf8, TextEncoding::Utf16Le};
    return m_nOutputEncoding >= 0 && m_nOutputEncoding < 5 ? kEncodings[m_nOutputEncoding] : std::nullopt;
}

void CConvertDlg::ShowRegion() {
    const bool region = m_nRegion > 0;
    ::SendMessageW(Item(IDC_BY_WORDS), BM_SETCHECK, region || m_bByWords ? BST_CHECKED : BST_UNCHECKED, 0);
    ::EnableWindow(Item(IDC_BY_WORDS), m_hasPhrases && !region ? TRUE : FALSE);
}

void CConvertDlg::OnToTraditional() {
    TakeValues();
    if (m_strSimplified.empty()) return;
    std::string text = m_strSimplified;
    TextConversion(Direction::ToTraditional).ConvertUtf8(text);
    m_strTraditional = text;
    ShowValues();
}

void CConvertDlg::OnToSimplified() {
    TakeValues();
    if (m_strTraditional.empty()) return;
    std::string text = m_strTraditional;
    TextConversion(Direction::ToSimplified).ConvertUtf8(text);
    m_strSimplified = text;
    ShowValues();
}

void CConvertDlg::OnModeSingle() { SwitchMode(0); }

void CConvertDlg::OnModeBatch() { SwitchMode(1); }

// A path typed for one mode means nothing in the other: a real change of mode empties both path boxes.
void CConvertDlg::SwitchMode(int mode) {
    if (m_nMode == mode) return;
    TakeValues();
    m_strSource.clear();
    m_strDest.clear();
    ShowValues();
}

void CConvertDlg::OnStart() {
    TakeValues();
    m_run.OnStart(RunValues{Mode(), m_strSource, m_strDest, OutputEncoding(), m_bConvertNames},
                  TextConversion(RunDirection()));
}

void CConvertDlg::OnStop() { m_run.OnStop(); }

// A cancelled picker empties the box too.
void CConvertDlg::OnBrowseSource() {
    TakeValues();
    m_strSource = BrowsePath(m_nMode);
    ShowValues();
}

void CConvertDlg::OnBrowseDest() {
    TakeValues();
    m_strDest = BrowsePath(m_nMode);
    ShowValues();
}

std::string CConvertDlg::BrowsePath(int batch) {
    if (!batch) {
        // Two types: the filter itself, under its own text, and every file. The destination is picked here
        // too, by typing a new name: the file need not exist.
        const std::string filter = m_strFilter + "|" + m_strFilter + "|All File:(*.*)|*.*||";
        platform::CFileDialog dialog(true, "", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter);
        if (dialog.RunModal() != IDOK) return {};
        return dialog.PathName();
    }
    // A Save dialog with a filter that names no pattern (Wine then lists every file beside the folders); its
    // "确定" is the Cancel button.
    CPathDlg dialog(false, "", "", OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "aaaaa.aaaabbbb");
    return dialog.RunModal() == IDCANCEL ? dialog.m_strPath : std::string();
}

void CConvertDlg::OnAbout() {
    CAboutDlg about;
    about.RunModal();
}

bool CConvertDlg::OnSysCommand(UINT command, LPARAM) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
    OnAbout();
    return true;
}

bool CConvertDlg::OnPaint() {
    if (!::IsIconic(Handle())) return false;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    ::SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(Handle(), &paint);
    return true;
}

HICON CConvertDlg::OnQueryDragIcon() { return m_hIcon; }

namespace {

HICON LoadProgramIcon(int widthMetric, int heightMetric, UINT dpi) {
    return static_cast<HICON>(::LoadImageW(platform::ResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                           IMAGE_ICON, platform::SystemMetricForDpi(widthMetric, dpi),
                                           platform::SystemMetricForDpi(heightMetric, dpi), LR_DEFAULTCOLOR));
}

}  // namespace

// On a monitor with another DPI the title bar and the task bar want icons of other sizes: made anew from the
// resource rather than stretched from the old ones.
void CConvertDlg::OnDpiChanged(UINT dpi) {
    HICON largeIcon = LoadProgramIcon(SM_CXICON, SM_CYICON, dpi);
    HICON smallIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON, dpi);
    if (!largeIcon || !smallIcon) {
        if (largeIcon) ::DestroyIcon(largeIcon);
        if (smallIcon) ::DestroyIcon(smallIcon);
        return;
    }
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    if (m_ownIcons) {
        ::DestroyIcon(m_hIcon);
        ::DestroyIcon(m_hSmallIcon);
    }
    m_hIcon = largeIcon;
    m_hSmallIcon = smallIcon;
    m_ownIcons = true;
}
