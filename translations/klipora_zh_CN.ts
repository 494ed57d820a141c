<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
    <name>FfmpegRun</name>
    <message>
        <source>Could not start ffmpeg (%1). Is it installed and on the PATH?</source>
        <translation>无法启动 ffmpeg（%1）。请确认它已安装并在 PATH 中。</translation>
    </message>
    <message>
        <source>ffmpeg did not stop in time and was terminated: %1</source>
        <translation>ffmpeg 未能及时停止，已被终止：%1</translation>
    </message>
    <message>
        <source>ffmpeg stopped unexpectedly: %1</source>
        <translation>ffmpeg 意外停止：%1</translation>
    </message>
    <message>
        <source>ffmpeg failed with exit code %1: %2</source>
        <translation>ffmpeg 执行失败，退出码 %1：%2</translation>
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
        <source>GIF recording failed: the region %1x%2 at %3, %4 lies partly outside the screen.</source>
        <translation>GIF 录制失败：位于 %3, %4 的 %1x%2 区域有一部分超出了屏幕。</translation>
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
        <source>GIF capture failed: %1</source>
        <translation>GIF 采集失败：%1</translation>
    </message>
    <message>
        <source>GIF palette pass failed: %1</source>
        <translation>GIF 调色板生成失败：%1</translation>
    </message>
    <message>
        <source>GIF conversion failed: %1</source>
        <translation>GIF 转换失败：%1</translation>
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
</context>
<context>
    <name>ImageWindow</name>
    <message>
        <source>Cannot open image: %1</source>
        <translation>无法打开图片：%1</translation>
    </message>
    <message>
        <source>Failed to save image: %1</source>
        <translation>无法保存图片：%1</translation>
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
</context>
<context>
    <name>ScreenRecorder</name>
    <message>
        <source>Path: </source>
        <translation>路径：</translation>
    </message>
</context>
<context>
    <name>ScreenShoter</name>
    <message>
        <source>Save Image</source>
        <translation>保存图片</translation>
    </message>
    <message>
        <source>Failed to save %1: %2</source>
        <translation>无法保存 %1：%2</translation>
    </message>
    <message>
        <source>Path: </source>
        <translation>路径：</translation>
    </message>
    <message>
        <source>the image could not be encoded</source>
        <translation>图片无法编码</translation>
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
        <source>the region %1x%2 at %3, %4 lies partly outside the screen.</source>
        <translation>位于 %3, %4 的 %1x%2 区域有一部分超出了屏幕。</translation>
    </message>
    <message>
        <source>the folder %1 cannot be created or written.</source>
        <translation>无法创建或写入文件夹 %1。</translation>
    </message>
    <message>
        <source>ffmpeg ended but wrote no file: %1</source>
        <translation>ffmpeg 已结束，但没有写出文件：%1</translation>
    </message>
</context>
</TS>
