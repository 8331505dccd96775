// ConvertDlg.hpp: the main window: two text boxes with the arrow buttons, the paths, the filter, the mode and
// direction choices, Start and Stop, the progress bar.
#pragma once

#include <windows.h>

#include <string>

#include "convert/ConvertHost.hpp"
#include "convert/WindowRun.hpp"
#include "core/CharTables.hpp"
#include "core/ConversionChain.hpp"
#include "core/PhraseTable.hpp"
#include "core/TextConversion.hpp"
#include "core/UserPairs.hpp"
#include "platform/Controls.hpp"
#include "platform/Dialog.hpp"

class CConvertDlg : public platform::CTemplateDialog, public IConvertHost {
  public:
    explicit CConvertDlg(HWND parent = nullptr);
    ~CConvertDlg() override;

    // Bound to the controls by the data exchange, in this order.
    platform::CProgressBar m_progress;
    platform::CButton m_btnStart;
    platform::CButton m_btnStop;
    int m_nMode = 0;       // 0 single file, 1 batch
    int m_nDirection = 0;  // 0 Simplified to Traditional, 1 the reverse
    std::string m_strDest;
    std::string m_strSource;
    std::string m_strFilter;
    std::string m_strSimplified;
    std::string m_strTraditional;
    bool m_bByWords = false;       // "按词语转换": arrows and files convert by words
    int m_nRegion = 0;             // "地区": 通用, 台湾, 台湾用词, 香港, 香港用词
    int m_nOutputEncoding = 0;     // "输出编码": 与原文相同, GBK, Big5, UTF-8, UTF-16
    bool m_bConvertNames = false;  // "转换文件名": a batch converts the names of the files too

    // IConvertHost: what file conversion asks of the window.
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void SetProgress(int position) override;
    void DispatchWaitingMessages() override;
    std::string Filter() const override;
    void EnableStart(bool enable) override;
    void EnableStop(bool enable) override;

  protected:
    void DoDataExchange(bool save) override;
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnSysCommand(UINT command, LPARAM lParam) override;
    bool OnPaint() override;
    HICON OnQueryDragIcon() override;
    bool OnDropFiles(HDROP drop) override;
    void OnDpiChanged(UINT dpi) override;

    void OnToTraditional();
    void OnToSimplified();
    void OnModeSingle();
    void OnModeBatch();
    void SwitchMode(int mode);
    void OnStart();
    void OnStop();
    void OnBrowseSource();
    void OnBrowseDest();
    // The path chosen in the picker of the mode (nonzero for batch: a folder, else a file), or "".
    std::string BrowsePath(int batch);
    void OnAbout();

    // The radio groups' indices as what they choose: a mode index 1 is a batch, anything else one file; a
    // direction index 1 is Traditional to Simplified, anything else the reverse.
    RunMode Mode() const;
    Direction RunDirection() const;
    // How the arrows and the files convert: as a region writes, or by words when the box says so, where the
    // phrase file could be loaded.
    CTextConversion TextConversion(Direction direction) const;
    // The encoding "输出编码" asks the files to be written in; none for each file's own.
    std::optional<TextEncoding> OutputEncoding() const;
    // A region converts by words: the box shows it, checked and disabled, and keeps its own state for 通用.
    void ShowRegion();

    CharTables m_tables;
    PhraseTables m_phrases;     // empty when the phrase file could not be loaded
    bool m_hasPhrases = false;  // it was loaded: "按词语转换" is enabled
    // The regions' conversions, to Traditional and to Simplified, built when the phrase file has what they
    // need.
    CConversionChain m_regions[4][2];
    bool m_hasRegions = false;
    CUserPairs m_userPairs;  // Runewords-user.txt beside the table, when it is there and well formed
    HICON m_hIcon;
    // Loaded for the DPI of the monitor the window moved to, and destroyed with the window; until a move,
    // m_hIcon is the shared icon of the resource, for both sizes.
    HICON m_hSmallIcon = nullptr;
    bool m_ownIcons = false;
    bool m_bStop = false;  // set by Stop, cleared when a batch starts, read by the batch walk between entries
    int m_progressPos = 0;             // what the progress bar shows
    CWindowRun m_run{*this, m_bStop};  // Start and Stop, one file and a batch, on this window's controls
};
