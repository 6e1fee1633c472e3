// The texts of the update window, as GBK bytes. The UTF-8 comment beside each
// says what it reads.
#pragma once

namespace vorlane::update::texts {

inline constexpr char kWindowCaption[] =
    "\xC8\xED\xBC\xFE\xD5\xFD\xD4\xDA\xB8\xFC\xD0\xC2..\xC7\xEB\xC9\xD4\xB5\xC8...";  // 软件正在更新..请稍等...

// Captions the controls start with.
inline constexpr char kDownloaded[] = "\xCF\xC2\xD4\xD8\xB3\xC9\xB9\xA6";      // 下载成功
inline constexpr char kFileSize[] = "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:";       // 文件大小:
inline constexpr char kReceived[] = "\xD2\xD1\xCF\xC2\xD4\xD8:";               // 已下载:
inline constexpr char kSaveTo[] = "\xCF\xC2\xD4\xD8\xB5\xBD:";                 // 下载到:
inline constexpr char kTransferSpeed[] = "\xB4\xAB\xCA\xE4\xCB\xD9\xB6\xC8:";  // 传输速度:
inline constexpr char kAverageSpeed[] = "\xC6\xBD\xBE\xF9\xCB\xD9\xB6\xC8:";   // 平均速度:
inline constexpr char kCompleted[] = "\xD2\xD1\xCD\xEA\xB3\xC9:";              // 已完成:
inline constexpr char kTimeLeft[] = "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4:";       // 剩余时间:
inline constexpr char kDownloadButton[] = "\xCF\xC2\xD4\xD8";                  // 下载
inline constexpr char kDownloadSpeed[] = "\xCF\xC2\xD4\xD8\xCB\xD9\xB6\xC8:";  // 下载速度:

// Pieces of the texts built while the download runs.
inline constexpr char kFromOpen[] = " (\xC0\xB4\xD7\xD4 ";           //  (来自
inline constexpr char kFromClose[] = " )";                           //  )
inline constexpr char kShortenedPath[] = "...\\";                    // ...\ (the save path cut short)
inline constexpr char kKb[] = "KB";                                  // KB
inline constexpr char kKbInTotal[] = "KB \xD7\xDC\xB9\xB2(";         // KB 总共(
inline constexpr char kSecondsClose[] = "\xC3\xEB)";                 // 秒)
inline constexpr char kKbInTotalSpaced[] = "KB \xD7\xDC\xB9\xB2( ";  // KB 总共( (a space after "(")
inline constexpr char kSecondsCloseSpaced[] = " \xC3\xEB)";          //  秒)
inline constexpr char kKbPerSecond[] = "KB/\xC3\xEB";                // KB/秒
inline constexpr char kSeconds[] = " \xC3\xEB";                      //  秒
inline constexpr char kPercent[] = "%";
// The time left before the average speed is known.
inline constexpr char kUnknown[] = "--";

// Message boxes.
inline constexpr char kDownloadFailed[] =
    "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC!\xC7\xEB\xCA\xD6\xB6\xAF\xCF\xC2\xD4\xD8\xB8\xFC\xD0\xC2";  // 下载失败!请手动下载更新
inline constexpr char kInformation[] = "\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE:";  // 信息提示:
inline constexpr char kAutomaticUpdateFailed[] =
    "\xD7\xD4\xB6\xAF\xB8\xFC\xD0\xC2\xCA\xA7\xB0\xDC\xA3\xA1\xB8\xD5\xB8\xD5\xB4\xF2\xBF\xAA\xB5\xC4\xCA\xC7"
    "\xD7\xEE\xD0\xC2\xB0\xE6\xB5\xC4\xCF\xC2\xD4\xD8\xCD\xF8\xD6\xB7\r\n"
    "\xC7\xEB\xCA\xD6\xB6\xAF\xCF\xC2\xD4\xD8\xA3\xAC\xD6\xAE\xBA\xF3\xD0\xB6\xD4\xD8\xBE\xC9\xB0\xE6\xA3\xAC"
    "\xB0\xB2\xD7\xB0\xD0\xC2\xB0\xE6";  // 自动更新失败！刚刚打开的是最新版的下载网址\r\n请手动下载，之后卸载旧版，安装新版
inline constexpr char kNotice[] = "\xCC\xE1\xCA\xBE";  // 提示

}  // namespace vorlane::update::texts
