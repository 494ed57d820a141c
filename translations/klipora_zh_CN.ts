<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CommandLine</name>
    <message>
        <source>--version takes no arguments</source>
        <translation>--version 不接受参数</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>未知选项 &apos;%1&apos;</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>未知命令 &apos;%1&apos;</translation>
    </message>
    <message>
        <source>an empty file name</source>
        <translation>文件名为空</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos; for %2</source>
        <translation>%2 不接受参数 &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 does not take %2</source>
        <translation>%1 不接受 %2</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 需要一个值</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 不接受值</translation>
    </message>
    <message>
        <source>%1 given twice</source>
        <translation>%1 给出了两次</translation>
    </message>
    <message>
        <source>--delay wants milliseconds from 0 to %1, not &apos;%2&apos;</source>
        <translation>--delay 需要 0 到 %1 的毫秒数，而不是 &apos;%2&apos;</translation>
    </message>
    <message>
        <source>--region wants X,Y,W,H with a positive width and height, not &apos;%1&apos;</source>
        <translation>--region 需要宽和高为正数的 X,Y,W,H，而不是 &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--path needs a file name</source>
        <translation>--path 需要一个文件名</translation>
    </message>
    <message>
        <source>cannot tell the image format of &apos;%1&apos;: use a name ending in %2</source>
        <translation>无法判断 &apos;%1&apos; 的图片格式：请使用以 %2 结尾的文件名</translation>
    </message>
    <message>
        <source>shot takes either --path or --clipboard, not both</source>
        <translation>shot 只能使用 --path 或 --clipboard 之一，不能同时使用</translation>
    </message>
    <message>
        <source>shot needs --path FILE or --clipboard</source>
        <translation>shot 需要 --path 文件 或 --clipboard</translation>
    </message>
    <message>
        <source>cannot start Klipora: %1</source>
        <translation>无法启动 Klipora：%1</translation>
    </message>
    <message>
        <source>the running Klipora did not answer: %1</source>
        <translation>正在运行的 Klipora 没有响应：%1</translation>
    </message>
    <message>
        <source>Klipora is already running, but does not answer: %1</source>
        <translation>Klipora 已在运行，但没有响应：%1</translation>
    </message>
    <message>
        <source>Usage:
  klipora                      start in the tray (once: a second start says so and exits)
  klipora snip [--delay MS]    open the screenshot overlay
  klipora shot [--region X,Y,W,H] [--delay MS] (--path FILE | --clipboard)
                               capture without the overlay: the whole desktop or the region,
                               to a file (.png, .jpg, .jpeg, .bmp) or the clipboard
  klipora pin [FILE...]        pin the files at the cursor, or the newest clipboard item
  klipora record [--gif] [--region X,Y,W,H]
                               start or stop a recording; with --region the selector is skipped
  klipora scroll [--path FILE] a scrolling screenshot of a region, copied and pinned, or saved
  klipora settings | quit      open the settings window | end the running Klipora
  klipora --help | --version

A command reaches the running Klipora and starts one in the background when none runs.
Escape cancels a --delay countdown.
Exit status: 0 done, 1 failed (the reason on stderr), 2 usage error.
</source>
        <translation>用法：
  klipora                      在托盘中启动（只运行一个：再次启动会提示后退出）
  klipora snip [--delay MS]    打开截图界面
  klipora shot [--region X,Y,W,H] [--delay MS] (--path FILE | --clipboard)
                               不经截图界面直接截图：整个桌面或指定区域，
                               保存到文件（.png、.jpg、.jpeg、.bmp）或剪贴板
  klipora pin [FILE...]        将文件钉在光标处，或钉住最新的剪贴板内容
  klipora record [--gif] [--region X,Y,W,H]
                               开始或停止录制；指定 --region 时跳过区域选择
  klipora scroll [--path FILE] 滚动截取一个区域，复制并钉住，或保存到文件
  klipora settings | quit      打开设置窗口 | 退出正在运行的 Klipora
  klipora --help | --version

命令会发送给正在运行的 Klipora；若没有运行，则在后台启动一个。
按 Esc 可取消 --delay 的倒计时。
退出状态：0 完成，1 失败（原因输出到 stderr），2 用法错误。
</translation>
    </message>
</context>
<context>
    <name>CommandRunner</name>
    <message>
        <source>the region %1,%2,%3,%4 does not lie within the desktop of %5x%6</source>
        <translation>区域 %1,%2,%3,%4 不在 %5x%6 的桌面之内</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>已取消</translation>
    </message>
    <message>
        <source>Klipora is not running</source>
        <translation>Klipora 没有运行</translation>
    </message>
    <message>
        <source>Klipora is already running.</source>
        <translation>Klipora 已在运行。</translation>
    </message>
    <message>
        <source>not a command for the running Klipora</source>
        <translation>这不是发给正在运行的 Klipora 的命令</translation>
    </message>
    <message>
        <source>the capture failed</source>
        <translation>截图失败</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>nothing to pin: nothing was copied since Klipora started</source>
        <translation>没有可钉住的内容：Klipora 启动后还没有复制过任何内容</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>the recording could not start</source>
        <translation>录制无法开始</translation>
    </message>
</context>
<context>
    <name>Config</name>
    <message>
        <source>%1 is not a regular file. Klipora leaves it alone and runs on the default settings.</source>
        <translation>%1 不是普通文件。Klipora 不会改动它，并使用默认设置运行。</translation>
    </message>
    <message>
        <source>Cannot read %1. Klipora runs on the default settings and leaves the file as it is.</source>
        <translation>无法读取 %1。Klipora 使用默认设置运行，不会改动该文件。</translation>
    </message>
    <message>
        <source>The settings file could not be read. It was kept as %1 and Klipora runs on the default settings.</source>
        <translation>无法读取设置文件。已将其保留为 %1，Klipora 使用默认设置运行。</translation>
    </message>
    <message>
        <source>The settings file %1 could not be read and no copy of it could be kept. Klipora leaves it as it is and runs on the default settings.</source>
        <translation>无法读取设置文件 %1，也无法保留其副本。Klipora 不会改动它，并使用默认设置运行。</translation>
    </message>
    <message>
        <source>%1 is not a regular file. Klipora leaves it alone and keeps the settings in memory.</source>
        <translation>%1 不是普通文件。Klipora 不会改动它，设置只保存在内存中。</translation>
    </message>
    <message>
        <source>Cannot save the settings to %1: %2. The previous file is kept.</source>
        <translation>无法将设置保存到 %1：%2。原文件保持不变。</translation>
    </message>
</context>
<context>
    <name>Countdown</name>
    <message>
        <source>Esc to cancel</source>
        <translation>按 Esc 取消</translation>
    </message>
</context>
<context>
    <name>FfmpegRun</name>
    <message>
        <source>ffmpeg cannot open the display.</source>
        <translation>ffmpeg 无法打开显示器。</translation>
    </message>
    <message>
        <source>the region lies outside the screen.</source>
        <translation>区域超出了屏幕。</translation>
    </message>
    <message>
        <source>the disk is full.</source>
        <translation>磁盘已满。</translation>
    </message>
    <message>
        <source>the output folder may not be written.</source>
        <translation>没有写入输出文件夹的权限。</translation>
    </message>
    <message>
        <source>a file of that name already exists.</source>
        <translation>同名文件已存在。</translation>
    </message>
    <message>
        <source>the sound source cannot be opened.</source>
        <translation>无法打开声音来源。</translation>
    </message>
    <message>
        <source>a file or folder that ffmpeg needs does not exist.</source>
        <translation>ffmpeg 需要的文件或文件夹不存在。</translation>
    </message>
    <message>
        <source>ffmpeg refused the recording settings (frame rate or region).</source>
        <translation>ffmpeg 不接受录制设置（帧率或区域）。</translation>
    </message>
    <message>
        <source>ffmpeg stopped with an error (exit code %1); its last lines are in the log.</source>
        <translation>ffmpeg 出错停止（退出码 %1）；它的最后几行输出已写入日志。</translation>
    </message>
    <message>
        <source>ffmpeg could not be started. Is it installed?</source>
        <translation>无法启动 ffmpeg。是否已安装？</translation>
    </message>
    <message>
        <source>ffmpeg did not stop and had to be killed.</source>
        <translation>ffmpeg 没有停止，只能强制结束。</translation>
    </message>
    <message>
        <source>ffmpeg stopped unexpectedly.</source>
        <translation>ffmpeg 意外停止。</translation>
    </message>
</context>
<context>
    <name>GifCapturer</name>
    <message>
        <source>Path: </source>
        <translation>路径：</translation>
    </message>
</context>
<context>
    <name>GifJob</name>
    <message>
        <source>GIF recording failed: ffmpeg is still busy with the previous GIF. Try again in a moment.</source>
        <translation>GIF 录制失败：ffmpeg 仍在处理上一个 GIF，请稍后再试。</translation>
    </message>
    <message>
        <source>GIF recording failed: the folder %1 cannot be created or written.</source>
        <translation>GIF 录制失败：无法创建或写入文件夹 %1。</translation>
    </message>
    <message>
        <source>GIF recording failed: ffmpeg wrote no %1</source>
        <translation>GIF 录制失败：ffmpeg 没有写出 %1</translation>
    </message>
    <message>
        <source>GIF recording failed: %1</source>
        <translation>GIF 录制失败：%1</translation>
    </message>
    <message>
        <source>GIF recording failed: the GIF frame rate %1 is not usable.</source>
        <translation>GIF 录制失败：GIF 帧率 %1 不可用。</translation>
    </message>
    <message>
        <source>The recording was too short to hold a frame; nothing was saved.</source>
        <translation>录制时间太短，没有录到任何一帧；未保存任何文件。</translation>
    </message>
    <message>
        <source>ffmpeg wrote no GIF.</source>
        <translation>ffmpeg 没有写出 GIF。</translation>
    </message>
    <message>
        <source>GIF recording failed: %1 The recording %2 may be unplayable.</source>
        <translation>GIF 录制失败：%1 录像 %2 可能无法播放。</translation>
    </message>
    <message>
        <source>The GIF could not be made: %1 The recording was kept as %2.</source>
        <translation>无法生成 GIF：%1 录像已保留为 %2。</translation>
    </message>
</context>
<context>
    <name>GnomeKeybindingWriter</name>
    <message>
        <source>gsettings could not be started; is GLib&apos;s gsettings tool installed?</source>
        <translation>无法启动 gsettings；是否已安装 GLib 的 gsettings 工具？</translation>
    </message>
    <message>
        <source>gsettings did not answer within %1 s.</source>
        <translation>gsettings 在 %1 秒内没有响应。</translation>
    </message>
    <message>
        <source>GNOME&apos;s keyboard shortcut settings are not installed here.</source>
        <translation>此处未安装 GNOME 的键盘快捷键设置。</translation>
    </message>
    <message>
        <source>gsettings failed: %1</source>
        <translation>gsettings 失败：%1</translation>
    </message>
    <message>
        <source>exit code %1</source>
        <translation>退出码 %1</translation>
    </message>
    <message>
        <source>GNOME&apos;s list of custom shortcuts could not be read; nothing was changed.</source>
        <translation>无法读取 GNOME 的自定义快捷键列表；未做任何更改。</translation>
    </message>
    <message numerus="yes">
        <source>%n shortcut(s) added to GNOME&apos;s keyboard shortcuts.</source>
        <translation>
            <numerusform>已将 %n 个快捷键添加到 GNOME 键盘快捷键。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GrimGrabber</name>
    <message>
        <source>there is no screen to grab</source>
        <translation>没有可截取的屏幕</translation>
    </message>
    <message>
        <source>grim could not read the output %1</source>
        <translation>grim 无法读取输出 %1</translation>
    </message>
</context>
<context>
    <name>ImageEditMenu</name>
    <message>
        <source>Rectangle</source>
        <translation>矩形</translation>
    </message>
    <message>
        <source>Ellipse</source>
        <translation>椭圆</translation>
    </message>
    <message>
        <source>Arrow</source>
        <translation>箭头</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>直线</translation>
    </message>
    <message>
        <source>Pencil</source>
        <translation>画笔</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>文字</translation>
    </message>
    <message>
        <source>Mosaic</source>
        <translation>马赛克</translation>
    </message>
    <message>
        <source>Eraser</source>
        <translation>橡皮擦</translation>
    </message>
    <message>
        <source>Counter</source>
        <translation>计数器</translation>
    </message>
    <message>
        <source>Highlighter</source>
        <translation>荧光笔</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>模糊</translation>
    </message>
</context>
<context>
    <name>ImageSaver</name>
    <message>
        <source>there is no image</source>
        <translation>没有图片</translation>
    </message>
    <message>
        <source>unknown image type</source>
        <translation>未知的图片类型</translation>
    </message>
    <message>
        <source>the image could not be encoded</source>
        <translation>图片无法编码</translation>
    </message>
    <message>
        <source>Failed to save %1: %2</source>
        <translation>无法保存 %1：%2</translation>
    </message>
</context>
<context>
    <name>ImageWindow</name>
    <message>
        <source>Cannot open image: %1</source>
        <translation>无法打开图片：%1</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>打开图片</translation>
    </message>
    <message>
        <source>Save Image</source>
        <translation>保存图片</translation>
    </message>
    <message>
        <source>Copy image</source>
        <translation>复制图片</translation>
    </message>
    <message>
        <source>Paste image</source>
        <translation>粘贴图片</translation>
    </message>
    <message>
        <source>Open image...</source>
        <translation>打开图片…</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>另存为…</translation>
    </message>
    <message>
        <source>Zoom : </source>
        <translation>缩放：</translation>
    </message>
    <message>
        <source>Opacity : </source>
        <translation>不透明度：</translation>
    </message>
    <message>
        <source>Recover</source>
        <translation>还原</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>The image is too large to open: %1</source>
        <translation>图片太大，无法打开：%1</translation>
    </message>
    <message>
        <source>The image on the clipboard is too large to paste.</source>
        <translation>剪贴板中的图片太大，无法粘贴。</translation>
    </message>
</context>
<context>
    <name>KWinScreenShotGrabber</name>
    <message>
        <source>there is no screen to grab</source>
        <translation>没有可截取的屏幕</translation>
    </message>
</context>
<context>
    <name>Klipora</name>
    <message>
        <source>Snip</source>
        <translation>截图</translation>
    </message>
    <message>
        <source>Screen Record</source>
        <translation>录屏</translation>
    </message>
    <message>
        <source>GIF Record</source>
        <translation>GIF 录制</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Failed to register shortcut &lt;%1&gt;</source>
        <translation>快捷键 &lt;%1&gt; 注册失败</translation>
    </message>
    <message>
        <source>Saved to %1</source>
        <translation>已保存到 %1</translation>
    </message>
    <message>
        <source>Could not save %1: %2</source>
        <translation>无法保存 %1：%2</translation>
    </message>
    <message>
        <source>Scrolling screenshot</source>
        <translation>滚动截图</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>钉图</translation>
    </message>
    <message>
        <source>[Shown as plain text: the copied HTML is too complex to lay out.]</source>
        <translation>[以纯文本显示：复制的 HTML 过于复杂，无法排版。]</translation>
    </message>
    <message>
        <source>The copied image (%1 x %2) is too large to pin.</source>
        <translation>复制的图片（%1 x %2）太大，无法贴图。</translation>
    </message>
    <message>
        <source>The copied image is too large to pin.</source>
        <translation>复制的图片太大，无法贴图。</translation>
    </message>
    <message>
        <source>The copied image is too large to pin: %1</source>
        <translation>复制的图片太大，无法贴图：%1</translation>
    </message>
    <message>
        <source>Failed to register shortcuts %1</source>
        <translation>快捷键 %1 注册失败</translation>
    </message>
</context>
<context>
    <name>MutterRecorder</name>
    <message>
        <source>GNOME&apos;s screen cast sent no stream within %1 s.</source>
        <translation>GNOME 的屏幕录制在 %1 秒内没有发送视频流。</translation>
    </message>
    <message>
        <source>GNOME&apos;s screen cast refused %1: %2</source>
        <translation>GNOME 的屏幕录制拒绝了 %1：%2</translation>
    </message>
    <message>
        <source>the region is too small to record.</source>
        <translation>区域太小，无法录制。</translation>
    </message>
    <message>
        <source>GStreamer has no H.264 encoder; install gstreamer1.0-plugins-ugly (x264enc).</source>
        <translation>GStreamer 没有 H.264 编码器；请安装 gstreamer1.0-plugins-ugly（x264enc）。</translation>
    </message>
    <message>
        <source>there is no session bus to reach GNOME&apos;s screen cast.</source>
        <translation>没有会话总线，无法连接 GNOME 的屏幕录制。</translation>
    </message>
    <message>
        <source>GNOME&apos;s screen cast gave no session.</source>
        <translation>GNOME 的屏幕录制没有提供会话。</translation>
    </message>
    <message>
        <source>GNOME&apos;s screen cast gave no stream.</source>
        <translation>GNOME 的屏幕录制没有提供视频流。</translation>
    </message>
    <message>
        <source>GNOME closed the screen cast session.</source>
        <translation>GNOME 关闭了屏幕录制会话。</translation>
    </message>
    <message>
        <source>the screen cast was stopped before it started.</source>
        <translation>屏幕录制在开始前就被停止了。</translation>
    </message>
</context>
<context>
    <name>NativeDesktopGrabber</name>
    <message>
        <source>the screen could not be read</source>
        <translation>无法读取屏幕</translation>
    </message>
</context>
<context>
    <name>PortalScreenshotGrabber</name>
    <message>
        <source>no answer</source>
        <translation>没有响应</translation>
    </message>
    <message>
        <source>the portal&apos;s shot does not cover the screen %1</source>
        <translation>门户的截图没有覆盖屏幕 %1</translation>
    </message>
</context>
<context>
    <name>PortalScreenshotRequest</name>
    <message>
        <source>the screenshot portal did not answer within %1 s</source>
        <translation>截图门户在 %1 秒内没有响应</translation>
    </message>
    <message>
        <source>there is no session bus to reach the portal</source>
        <translation>没有会话总线，无法连接门户</translation>
    </message>
    <message>
        <source>the screenshot portal refused the call: %1</source>
        <translation>截图门户拒绝了调用：%1</translation>
    </message>
    <message>
        <source>the screenshot was cancelled</source>
        <translation>截图已取消</translation>
    </message>
    <message>
        <source>the screenshot portal failed (response %1)</source>
        <translation>截图门户失败（响应 %1）</translation>
    </message>
    <message>
        <source>the screenshot portal gave no local file but &quot;%1&quot;</source>
        <translation>截图门户没有给出本地文件，而是“%1”</translation>
    </message>
    <message>
        <source>the screenshot portal&apos;s file %1 cannot be read as a picture</source>
        <translation>截图门户的文件 %1 无法作为图片读取</translation>
    </message>
</context>
<context>
    <name>RecordJob</name>
    <message>
        <source>the frame rate %1 is not usable; choose 1 to %2 in the settings.</source>
        <translation>帧率 %1 不可用；请在设置中选择 1 到 %2。</translation>
    </message>
    <message>
        <source>the region %1x%2 is too small to record.</source>
        <translation>%1x%2 的区域太小，无法录制。</translation>
    </message>
    <message>
        <source>the region %1x%2 at %3, %4 lies partly outside the screen.</source>
        <translation>位于 %3, %4 的 %1x%2 区域有一部分超出了屏幕。</translation>
    </message>
</context>
<context>
    <name>RecordMenu</name>
    <message>
        <source>Record sound (from the next recording on)</source>
        <translation>录制声音（从下一次录制开始）</translation>
    </message>
</context>
<context>
    <name>RecordSelector</name>
    <message>
        <source>A recording is already running.</source>
        <translation>已有录制正在进行。</translation>
    </message>
</context>
<context>
    <name>ScreenRecorder</name>
    <message>
        <source>Path: </source>
        <translation>路径：</translation>
    </message>
    <message>
        <source>No sound source was found; recording without sound.</source>
        <translation>没有找到声音来源；将不录制声音。</translation>
    </message>
    <message>
        <source>The sound source %1 is not available; recording without sound.</source>
        <translation>声音来源 %1 不可用；将不录制声音。</translation>
    </message>
</context>
<context>
    <name>ScreenShoter</name>
    <message>
        <source>Save Image</source>
        <translation>保存图片</translation>
    </message>
    <message>
        <source>Path: </source>
        <translation>路径：</translation>
    </message>
</context>
<context>
    <name>ScrollCapturer</name>
    <message>
        <source>The region is too small for a scrolling screenshot (at least %1 x %1 pixels).</source>
        <translation>区域太小，无法滚动截图（至少 %1 x %1 像素）。</translation>
    </message>
    <message>
        <source>The screen could not be grabbed.</source>
        <translation>无法抓取屏幕。</translation>
    </message>
    <message>
        <source>A frame did not match the ones before it; the scrolling screenshot stops with what it has.</source>
        <translation>有一帧与之前的画面对不上，滚动截图以已拼接的部分结束。</translation>
    </message>
    <message>
        <source>The scrolling screenshot reached its length limit of %1 pixels.</source>
        <translation>滚动截图已达到 %1 像素的长度上限。</translation>
    </message>
    <message>
        <source>The wheel could not be turned; scroll by hand.</source>
        <translation>无法自动滚动，请手动滚动。</translation>
    </message>
</context>
<context>
    <name>ScrollControlBar</name>
    <message>
        <source>%1 frames, %2 px</source>
        <translation>%1 帧，%2 像素</translation>
    </message>
    <message>
        <source>Scroll by hand</source>
        <translation>手动滚动</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>SettingWindow</name>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Screenshot</source>
        <translation>截图</translation>
    </message>
    <message>
        <source>Screen recording</source>
        <translation>录屏</translation>
    </message>
    <message>
        <source>Gif recording</source>
        <translation>GIF 录制</translation>
    </message>
    <message>
        <source>General</source>
        <translation>常规</translation>
    </message>
    <message>
        <source>Run on startup</source>
        <translation>开机启动</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Settings file</source>
        <translation>配置文件</translation>
    </message>
    <message>
        <source>Apperance:</source>
        <translation>外观：</translation>
    </message>
    <message>
        <source>Border width</source>
        <translation>边框宽度</translation>
    </message>
    <message>
        <source>Border color</source>
        <translation>边框颜色</translation>
    </message>
    <message>
        <source>Line type</source>
        <translation>线型</translation>
    </message>
    <message>
        <source>Mask color</source>
        <translation>遮罩颜色</translation>
    </message>
    <message>
        <source>Params:</source>
        <translation>参数：</translation>
    </message>
    <message>
        <source>Framerate</source>
        <translation>帧率</translation>
    </message>
    <message>
        <source>Video Output:</source>
        <translation>视频输出：</translation>
    </message>
    <message>
        <source>GIF Output:</source>
        <translation>GIF 输出：</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>路径</translation>
    </message>
    <message>
        <source>Shortcuts</source>
        <translation>快捷键</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>贴图</translation>
    </message>
    <message>
        <source>Video recording</source>
        <translation>视频录制</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>check update</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Home Web:</source>
        <translation>主页：</translation>
    </message>
    <message>
        <source>QQ Group:</source>
        <translation>交流群：</translation>
    </message>
    <message>
        <source>Join the Klipora community</source>
        <translation>加入 Klipora 社区</translation>
    </message>
    <message>
        <source>Copyright © 2024-2026 The Klipora developers. All rights reserved.</source>
        <translation>版权所有 © 2024-2026 Klipora 开发者。保留所有权利。</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Select Path...</source>
        <translation>选择路径…</translation>
    </message>
    <message>
        <source>update tips</source>
        <translation>更新提示</translation>
    </message>
    <message>
        <source>No need to update the current version!</source>
        <translation>当前已是最新版本，无需更新！</translation>
    </message>
    <message>
        <source>Scrolling screenshot</source>
        <translation>滚动截图</translation>
    </message>
    <message>
        <source>Longest scrolling screenshot</source>
        <translation>滚动截图最大长度</translation>
    </message>
    <message>
        <source> px</source>
        <translation> 像素</translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation>麦克风</translation>
    </message>
    <message>
        <source>Sound source</source>
        <translation>声音来源</translation>
    </message>
    <message>
        <source>Default input</source>
        <translation>默认输入</translation>
    </message>
    <message>
        <source>%1 (not available)</source>
        <translation>%1（不可用）</translation>
    </message>
    <message>
        <source>NoPen</source>
        <translation>无线条</translation>
    </message>
    <message>
        <source>SolidLine</source>
        <translation>实线</translation>
    </message>
    <message>
        <source>DashLine</source>
        <translation>虚线</translation>
    </message>
    <message>
        <source>DotLine</source>
        <translation>点线</translation>
    </message>
    <message>
        <source>DashDotLine</source>
        <translation>点划线</translation>
    </message>
    <message>
        <source>DashDotDotLine</source>
        <translation>双点划线</translation>
    </message>
    <message>
        <source>CustomDashLine</source>
        <translation>自定义虚线</translation>
    </message>
    <message>
        <source>The compositor binds global keys. Add these lines to the sway configuration and reload it:</source>
        <translation>全局快捷键由合成器绑定。请将以下几行加入 sway 配置文件并重新加载：</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>GNOME binds global keys. Choose the combinations below, then add them to GNOME&apos;s keyboard shortcuts; your other shortcuts stay as they are.</source>
        <translation>全局快捷键由 GNOME 绑定。请在下方选择组合键，然后将它们添加到 GNOME 键盘快捷键；您的其他快捷键保持不变。</translation>
    </message>
    <message>
        <source>Add to GNOME keyboard shortcuts</source>
        <translation>添加到 GNOME 键盘快捷键</translation>
    </message>
    <message>
        <source>Writing the shortcuts...</source>
        <translation>正在写入快捷键...</translation>
    </message>
    <message>
        <source>The shortcuts could not be added: %1</source>
        <translation>无法添加快捷键：%1</translation>
    </message>
</context>
<context>
    <name>VideoJob</name>
    <message>
        <source>Recording failed: %1</source>
        <translation>录制失败：%1</translation>
    </message>
    <message>
        <source>ffmpeg is still finishing the previous file. Try again in a moment.</source>
        <translation>ffmpeg 仍在完成上一个文件，请稍后再试。</translation>
    </message>
    <message>
        <source>the folder %1 cannot be created or written.</source>
        <translation>无法创建或写入文件夹 %1。</translation>
    </message>
    <message>
        <source>The recording was too short to hold a frame; nothing was saved.</source>
        <translation>录制时间太短，没有录到任何一帧；未保存任何文件。</translation>
    </message>
    <message>
        <source>%1 already exists.</source>
        <translation>%1 已存在。</translation>
    </message>
    <message>
        <source>ffmpeg ended without finishing the file.</source>
        <translation>ffmpeg 结束了，但没有完成文件。</translation>
    </message>
    <message>
        <source>The sound source %1 cannot be recorded; recording without sound.</source>
        <translation>无法录制声音来源 %1；将不录制声音。</translation>
    </message>
    <message>
        <source>Recording failed: %1 The file %2 may be unplayable.</source>
        <translation>录制失败：%1 文件 %2 可能无法播放。</translation>
    </message>
</context>
</TS>
