// The Japanese texts the core shows its user (status bar, printer name) and
// the settings files' header (the words for the run's records are in
// app/core/RecordWords.h), written once here in UTF-8 so they can be read
// and searched for. The status bar, the settings files and the pages work in
// Shift-JIS: callers convert with util::Utf8ToCp932 where they hand a text on.
#pragma once

namespace msg {

// The print run's status line: kPrinting + file + kEscHint while a file
// prints, then one of the two endings.
inline constexpr char kPrinting[] = "印刷中：";
inline constexpr char kEscHint[] = "　[ESC:中断]";
inline constexpr char kFinished[] = "印刷終了しました。";
inline constexpr char kStopped[] = "[Esc]キーを押しましたので印刷を途中終了します。";
// The title of a run printed as one document.
inline constexpr char kRunTitle[] = "Kestrovan 印刷";

// The first line of a settings file, and the one older files carry.
inline constexpr char kSettingsHeader[] = "【Kestrovan設定ファイル】";
inline constexpr char kOldSettingsHeader[] = "【Morvelin設定ファイル】";
inline constexpr char kSettingsOpened[] = "Kestrovan設定ファイルを開きました。";
inline constexpr char kNotSettings[] = "このファイルは Kestrovan設定ファイルではありません";
inline constexpr char kSettingsDamaged[] = "Kestrovan設定ファイルが開けませんでした。";
inline constexpr char kSettingsSaved[] = "Kestrovan設定ファイルを保存しました。";
inline constexpr char kSettingsNotSaved[] = "Kestrovan設定ファイルが保存出来ませんでした。";

// A pen or line-type table taken over: kImportHead + file + one of the tails.
inline constexpr char kImportHead[] = "ファイル ";
inline constexpr char kImportedPens[] = " から線色・線幅設定を読み取りました。";
inline constexpr char kImportedLineTypes[] = " から線種設定を読み取りました。";

// The printer's name when the system's default printer is used because none
// was chosen.
inline constexpr char kDefaultPrinter[] = "<標準プリンタ>";

// The choices of the settings page, each beside its stored number and
// command-line word in app/core/PrintChoices.h.
inline constexpr char kMethodDrawing[] = "図面データ倍率取得印刷";
inline constexpr char kMethodFit[] = "フィット印刷(図形範囲による自動倍率印刷)";
inline constexpr char kMethodScale[] = "倍率指定印刷";
inline constexpr char kSourceDrawing[] = "図面データから取得";
inline constexpr char kSourceTable[] = "下記で手動設定";
inline constexpr char kDisplayOnlyNotPrinted[] = "印刷しない";
inline constexpr char kDisplayOnlyGrey[] = "グレー色で印刷";
inline constexpr char kDisplayOnlyGivenColor[] = "設定色で印刷";
inline constexpr char kDisplayOnlyAsUsual[] = "そのまま印刷";
inline constexpr char kOrderNormal[] = "通常";
inline constexpr char kOrderByLayer[] = "レイヤ順";
inline constexpr char kOrderByLayerReverse[] = "レイヤ逆順";

}  // namespace msg
