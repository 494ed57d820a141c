<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CommandLine</name>
    <message>
        <source>--version takes no arguments</source>
        <translation>--version takes no arguments</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unknown option &apos;%1&apos;</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>unknown command &apos;%1&apos;</translation>
    </message>
    <message>
        <source>an empty file name</source>
        <translation>an empty file name</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos; for %2</source>
        <translation>unexpected argument &apos;%1&apos; for %2</translation>
    </message>
    <message>
        <source>%1 does not take %2</source>
        <translation>%1 does not take %2</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 takes no value</translation>
    </message>
    <message>
        <source>%1 given twice</source>
        <translation>%1 given twice</translation>
    </message>
    <message>
        <source>--delay wants milliseconds from 0 to %1, not &apos;%2&apos;</source>
        <translation>--delay wants milliseconds from 0 to %1, not &apos;%2&apos;</translation>
    </message>
    <message>
        <source>--region wants X,Y,W,H with a positive width and height, not &apos;%1&apos;</source>
        <translation>--region wants X,Y,W,H with a positive width and height, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--path needs a file name</source>
        <translation>--path needs a file name</translation>
    </message>
    <message>
        <source>cannot tell the image format of &apos;%1&apos;: use a name ending in %2</source>
        <translation>cannot tell the image format of &apos;%1&apos;: use a name ending in %2</translation>
    </message>
    <message>
        <source>shot takes either --path or --clipboard, not both</source>
        <translation>shot takes either --path or --clipboard, not both</translation>
    </message>
    <message>
        <source>shot needs --path FILE or --clipboard</source>
        <translation>shot needs --path FILE or --clipboard</translation>
    </message>
    <message>
        <source>cannot start Klipora: %1</source>
        <translation>cannot start Klipora: %1</translation>
    </message>
    <message>
        <source>the running Klipora did not answer: %1</source>
        <translation>the running Klipora did not answer: %1</translation>
    </message>
    <message>
        <source>Klipora is already running, but does not answer: %1</source>
        <translation>Klipora is already running, but does not answer: %1</translation>
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
        <translation>Usage:
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
</translation>
    </message>
</context>
<context>
    <name>CommandRunner</name>
    <message>
        <source>the region %1,%2,%3,%4 does not lie within the desktop of %5x%6</source>
        <translation>the region %1,%2,%3,%4 does not lie within the desktop of %5x%6</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>Klipora is not running</source>
        <translation>Klipora is not running</translation>
    </message>
    <message>
        <source>Klipora is already running.</source>
        <translation>Klipora is already running.</translation>
    </message>
    <message>
        <source>not a command for the running Klipora</source>
        <translation>not a command for the running Klipora</translation>
    </message>
    <message>
        <source>the capture failed</source>
        <translation>the capture failed</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>nothing to pin: nothing was copied since Klipora started</source>
        <translation>nothing to pin: nothing was copied since Klipora started</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>cannot open %1: %2</translation>
    </message>
    <message>
        <source>the recording could not start</source>
        <translation>the recording could not start</translation>
    </message>
</context>
<context>
    <name>Config</name>
    <message>
        <source>%1 is not a regular file. Klipora leaves it alone and runs on the default settings.</source>
        <translation>%1 is not a regular file. Klipora leaves it alone and runs on the default settings.</translation>
    </message>
    <message>
        <source>Cannot read %1. Klipora runs on the default settings and leaves the file as it is.</source>
        <translation>Cannot read %1. Klipora runs on the default settings and leaves the file as it is.</translation>
    </message>
    <message>
        <source>The settings file could not be read. It was kept as %1 and Klipora runs on the default settings.</source>
        <translation>The settings file could not be read. It was kept as %1 and Klipora runs on the default settings.</translation>
    </message>
    <message>
        <source>The settings file %1 could not be read and no copy of it could be kept. Klipora leaves it as it is and runs on the default settings.</source>
        <translation>The settings file %1 could not be read and no copy of it could be kept. Klipora leaves it as it is and runs on the default settings.</translation>
    </message>
    <message>
        <source>%1 is not a regular file. Klipora leaves it alone and keeps the settings in memory.</source>
        <translation>%1 is not a regular file. Klipora leaves it alone and keeps the settings in memory.</translation>
    </message>
    <message>
        <source>Cannot save the settings to %1: %2. The previous file is kept.</source>
        <translation>Cannot save the settings to %1: %2. The previous file is kept.</translation>
    </message>
</context>
<context>
    <name>Countdown</name>
    <message>
        <source>Esc to cancel</source>
        <translation>Esc to cancel</translation>
    </message>
</context>
<context>
    <name>FfmpegRun</name>
    <message>
        <source>ffmpeg cannot open the display.</source>
        <translation>ffmpeg cannot open the display.</translation>
    </message>
    <message>
        <source>the region lies outside the screen.</source>
        <translation>the region lies outside the screen.</translation>
    </message>
    <message>
        <source>the disk is full.</source>
        <translation>the disk is full.</translation>
    </message>
    <message>
        <source>the output folder may not be written.</source>
        <translation>the output folder may not be written.</translation>
    </message>
    <message>
        <source>a file of that name already exists.</source>
        <translation>a file of that name already exists.</translation>
    </message>
    <message>
        <source>the sound source cannot be opened.</source>
        <translation>the sound source cannot be opened.</translation>
    </message>
    <message>
        <source>a file or folder that ffmpeg needs does not exist.</source>
        <translation>a file or folder that ffmpeg needs does not exist.</translation>
    </message>
    <message>
        <source>ffmpeg refused the recording settings (frame rate or region).</source>
        <translation>ffmpeg refused the recording settings (frame rate or region).</translation>
    </message>
    <message>
        <source>ffmpeg stopped with an error (exit code %1); its last lines are in the log.</source>
        <translation>ffmpeg stopped with an error (exit code %1); its last lines are in the log.</translation>
    </message>
    <message>
        <source>ffmpeg could not be started. Is it installed?</source>
        <translation>ffmpeg could not be started. Is it installed?</translation>
    </message>
    <message>
        <source>ffmpeg did not stop and had to be killed.</source>
        <translation>ffmpeg did not stop and had to be killed.</translation>
    </message>
    <message>
        <source>ffmpeg stopped unexpectedly.</source>
        <translation>ffmpeg stopped unexpectedly.</translation>
    </message>
</context>
<context>
    <name>GifCapturer</name>
    <message>
        <source>Path: </source>
        <translation>Path: </translation>
    </message>
</context>
<context>
    <name>GifJob</name>
    <message>
        <source>GIF recording failed: ffmpeg is still busy with the previous GIF. Try again in a moment.</source>
        <translation>GIF recording failed: ffmpeg is still busy with the previous GIF. Try again in a moment.</translation>
    </message>
    <message>
        <source>GIF recording failed: the folder %1 cannot be created or written.</source>
        <translation>GIF recording failed: the folder %1 cannot be created or written.</translation>
    </message>
    <message>
        <source>GIF recording failed: ffmpeg wrote no %1</source>
        <translation>GIF recording failed: ffmpeg wrote no %1</translation>
    </message>
    <message>
        <source>GIF recording failed: %1</source>
        <translation>GIF recording failed: %1</translation>
    </message>
    <message>
        <source>GIF recording failed: the GIF frame rate %1 is not usable.</source>
        <translation>GIF recording failed: the GIF frame rate %1 is not usable.</translation>
    </message>
    <message>
        <source>The recording was too short to hold a frame; nothing was saved.</source>
        <translation>The recording was too short to hold a frame; nothing was saved.</translation>
    </message>
    <message>
        <source>ffmpeg wrote no GIF.</source>
        <translation>ffmpeg wrote no GIF.</translation>
    </message>
    <message>
        <source>GIF recording failed: %1 The recording %2 may be unplayable.</source>
        <translation>GIF recording failed: %1 The recording %2 may be unplayable.</translation>
    </message>
    <message>
        <source>The GIF could not be made: %1 The recording was kept as %2.</source>
        <translation>The GIF could not be made: %1 The recording was kept as %2.</translation>
    </message>
</context>
<context>
    <name>GnomeKeybindingWriter</name>
    <message>
        <source>gsettings could not be started; is GLib&apos;s gsettings tool installed?</source>
        <translation>gsettings could not be started; is GLib&apos;s gsettings tool installed?</translation>
    </message>
    <message>
        <source>gsettings did not answer within %1 s.</source>
        <translation>gsettings did not answer within %1 s.</translation>
    </message>
    <message>
        <source>GNOME&apos;s keyboard shortcut settings are not installed here.</source>
        <translation>GNOME&apos;s keyboard shortcut settings are not installed here.</translation>
    </message>
    <message>
        <source>gsettings failed: %1</source>
        <translation>gsettings failed: %1</translation>
    </message>
    <message>
        <source>exit code %1</source>
        <translation>exit code %1</translation>
    </message>
    <message>
        <source>GNOME&apos;s list of custom shortcuts could not be read; nothing was changed.</source>
        <translation>GNOME&apos;s list of custom shortcuts could not be read; nothing was changed.</translation>
    </message>
    <message numerus="yes">
        <source>%n shortcut(s) added to GNOME&apos;s keyboard shortcuts.</source>
        <translation>
            <numerusform>%n shortcut added to GNOME&apos;s keyboard shortcuts.</numerusform>
            <numerusform>%n shortcuts added to GNOME&apos;s keyboard shortcuts.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GrimGrabber</name>
    <message>
        <source>there is no screen to grab</source>
        <translation>there is no screen to grab</translation>
    </message>
    <message>
        <source>grim could not read the output %1</source>
        <translation>grim could not read the output %1</translation>
    </message>
</context>
<context>
    <name>ImageEditMenu</name>
    <message>
        <source>Rectangle</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>Ellipse</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>Arrow</source>
        <translation>Arrow</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Pencil</source>
        <translation>Pencil</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Mosaic</source>
        <translation>Mosaic</translation>
    </message>
    <message>
        <source>Eraser</source>
        <translation>Eraser</translation>
    </message>
    <message>
        <source>Counter</source>
        <translation>Counter</translation>
    </message>
    <message>
        <source>Highlighter</source>
        <translation>Highlighter</translation>
    </message>
    <message>
        <source>Blur</source>
        <translation>Blur</translation>
    </message>
</context>
<context>
    <name>ImageSaver</name>
    <message>
        <source>there is no image</source>
        <translation>there is no image</translation>
    </message>
    <message>
        <source>unknown image type</source>
        <translation>unknown image type</translation>
    </message>
    <message>
        <source>the image could not be encoded</source>
        <translation>the image could not be encoded</translation>
    </message>
    <message>
        <source>Failed to save %1: %2</source>
        <translation>Failed to save %1: %2</translation>
    </message>
</context>
<context>
    <name>ImageWindow</name>
    <message>
        <source>Cannot open image: %1</source>
        <translation>Cannot open image: %1</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>Open Image</translation>
    </message>
    <message>
        <source>Save Image</source>
        <translation>Save Image</translation>
    </message>
    <message>
        <source>Copy image</source>
        <translation>Copy image</translation>
    </message>
    <message>
        <source>Paste image</source>
        <translation>Paste image</translation>
    </message>
    <message>
        <source>Open image...</source>
        <translation>Open image...</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>Zoom : </source>
        <translation>Zoom : </translation>
    </message>
    <message>
        <source>Opacity : </source>
        <translation>Opacity : </translation>
    </message>
    <message>
        <source>Recover</source>
        <translation>Recover</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>The image is too large to open: %1</source>
        <translation>The image is too large to open: %1</translation>
    </message>
    <message>
        <source>The image on the clipboard is too large to paste.</source>
        <translation>The image on the clipboard is too large to paste.</translation>
    </message>
</context>
<context>
    <name>KWinScreenShotGrabber</name>
    <message>
        <source>there is no screen to grab</source>
        <translation>there is no screen to grab</translation>
    </message>
</context>
<context>
    <name>Klipora</name>
    <message>
        <source>Snip</source>
        <translation>Snip</translation>
    </message>
    <message>
        <source>Screen Record</source>
        <translation>Screen Record</translation>
    </message>
    <message>
        <source>GIF Record</source>
        <translation>GIF Record</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Failed to register shortcut &lt;%1&gt;</source>
        <translation>Failed to register shortcut &lt;%1&gt;</translation>
    </message>
    <message>
        <source>Saved to %1</source>
        <translation>Saved to %1</translation>
    </message>
    <message>
        <source>Could not save %1: %2</source>
        <translation>Could not save %1: %2</translation>
    </message>
    <message>
        <source>Scrolling screenshot</source>
        <translation>Scrolling screenshot</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Pin</translation>
    </message>
    <message>
        <source>[Shown as plain text: the copied HTML is too complex to lay out.]</source>
        <translation>[Shown as plain text: the copied HTML is too complex to lay out.]</translation>
    </message>
    <message>
        <source>The copied image (%1 x %2) is too large to pin.</source>
        <translation>The copied image (%1 x %2) is too large to pin.</translation>
    </message>
    <message>
        <source>The copied image is too large to pin.</source>
        <translation>The copied image is too large to pin.</translation>
    </message>
    <message>
        <source>The copied image is too large to pin: %1</source>
        <translation>The copied image is too large to pin: %1</translation>
    </message>
    <message>
        <source>Failed to register shortcuts %1</source>
        <translation>Failed to register shortcuts %1</translation>
    </message>
</context>
<context>
    <name>MutterRecorder</name>
    <message>
        <source>GNOME&apos;s screen cast sent no stream within %1 s.</source>
        <translation>GNOME&apos;s screen cast sent no stream within %1 s.</translation>
    </message>
    <message>
        <source>GNOME&apos;s screen cast refused %1: %2</source>
        <translation>GNOME&apos;s screen cast refused %1: %2</translation>
    </message>
    <message>
        <source>the region is too small to record.</source>
        <translation>the region is too small to record.</translation>
    </message>
    <message>
        <source>GStreamer has no H.264 encoder; install gstreamer1.0-plugins-ugly (x264enc).</source>
        <translation>GStreamer has no H.264 encoder; install gstreamer1.0-plugins-ugly (x264enc).</translation>
    </message>
    <message>
        <source>there is no session bus to reach GNOME&apos;s screen cast.</source>
        <translation>there is no session bus to reach GNOME&apos;s screen cast.</translation>
    </message>
    <message>
        <source>GNOME&apos;s screen cast gave no session.</source>
        <translation>GNOME&apos;s screen cast gave no session.</translation>
    </message>
    <message>
        <source>GNOME&apos;s screen cast gave no stream.</source>
        <translation>GNOME&apos;s screen cast gave no stream.</translation>
    </message>
    <message>
        <source>GNOME closed the screen cast session.</source>
        <translation>GNOME closed the screen cast session.</translation>
    </message>
    <message>
        <source>the screen cast was stopped before it started.</source>
        <translation>the screen cast was stopped before it started.</translation>
    </message>
</context>
<context>
    <name>NativeDesktopGrabber</name>
    <message>
        <source>the screen could not be read</source>
        <translation>the screen could not be read</translation>
    </message>
</context>
<context>
    <name>PortalScreenshotGrabber</name>
    <message>
        <source>no answer</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>the portal&apos;s shot does not cover the screen %1</source>
        <translation>the portal&apos;s shot does not cover the screen %1</translation>
    </message>
</context>
<context>
    <name>PortalScreenshotRequest</name>
    <message>
        <source>the screenshot portal did not answer within %1 s</source>
        <translation>the screenshot portal did not answer within %1 s</translation>
    </message>
    <message>
        <source>there is no session bus to reach the portal</source>
        <translation>there is no session bus to reach the portal</translation>
    </message>
    <message>
        <source>the screenshot portal refused the call: %1</source>
        <translation>the screenshot portal refused the call: %1</translation>
    </message>
    <message>
        <source>the screenshot was cancelled</source>
        <translation>the screenshot was cancelled</translation>
    </message>
    <message>
        <source>the screenshot portal failed (response %1)</source>
        <translation>the screenshot portal failed (response %1)</translation>
    </message>
    <message>
        <source>the screenshot portal gave no local file but &quot;%1&quot;</source>
        <translation>the screenshot portal gave no local file but &quot;%1&quot;</translation>
    </message>
    <message>
        <source>the screenshot portal&apos;s file %1 cannot be read as a picture</source>
        <translation>the screenshot portal&apos;s file %1 cannot be read as a picture</translation>
    </message>
</context>
<context>
    <name>RecordJob</name>
    <message>
        <source>the frame rate %1 is not usable; choose 1 to %2 in the settings.</source>
        <translation>the frame rate %1 is not usable; choose 1 to %2 in the settings.</translation>
    </message>
    <message>
        <source>the region %1x%2 is too small to record.</source>
        <translation>the region %1x%2 is too small to record.</translation>
    </message>
    <message>
        <source>the region %1x%2 at %3, %4 lies partly outside the screen.</source>
        <translation>the region %1x%2 at %3, %4 lies partly outside the screen.</translation>
    </message>
</context>
<context>
    <name>RecordMenu</name>
    <message>
        <source>Record sound (from the next recording on)</source>
        <translation>Record sound (from the next recording on)</translation>
    </message>
</context>
<context>
    <name>RecordSelector</name>
    <message>
        <source>A recording is already running.</source>
        <translation>A recording is already running.</translation>
    </message>
</context>
<context>
    <name>ScreenRecorder</name>
    <message>
        <source>Path: </source>
        <translation>Path: </translation>
    </message>
    <message>
        <source>No sound source was found; recording without sound.</source>
        <translation>No sound source was found; recording without sound.</translation>
    </message>
    <message>
        <source>The sound source %1 is not available; recording without sound.</source>
        <translation>The sound source %1 is not available; recording without sound.</translation>
    </message>
</context>
<context>
    <name>ScreenShoter</name>
    <message>
        <source>Save Image</source>
        <translation>Save Image</translation>
    </message>
    <message>
        <source>Path: </source>
        <translation>Path: </translation>
    </message>
</context>
<context>
    <name>ScrollCapturer</name>
    <message>
        <source>The region is too small for a scrolling screenshot (at least %1 x %1 pixels).</source>
        <translation>The region is too small for a scrolling screenshot (at least %1 x %1 pixels).</translation>
    </message>
    <message>
        <source>The screen could not be grabbed.</source>
        <translation>The screen could not be grabbed.</translation>
    </message>
    <message>
        <source>A frame did not match the ones before it; the scrolling screenshot stops with what it has.</source>
        <translation>A frame did not match the ones before it; the scrolling screenshot stops with what it has.</translation>
    </message>
    <message>
        <source>The scrolling screenshot reached its length limit of %1 pixels.</source>
        <translation>The scrolling screenshot reached its length limit of %1 pixels.</translation>
    </message>
    <message>
        <source>The wheel could not be turned; scroll by hand.</source>
        <translation>The wheel could not be turned; scroll by hand.</translation>
    </message>
</context>
<context>
    <name>ScrollControlBar</name>
    <message>
        <source>%1 frames, %2 px</source>
        <translation>%1 frames, %2 px</translation>
    </message>
    <message>
        <source>Scroll by hand</source>
        <translation>Scroll by hand</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>SettingWindow</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Screenshot</source>
        <translation>Screenshot</translation>
    </message>
    <message>
        <source>Screen recording</source>
        <translation>Screen recording</translation>
    </message>
    <message>
        <source>Gif recording</source>
        <translation>Gif recording</translation>
    </message>
    <message>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Run on startup</source>
        <translation>Run on startup</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Settings file</source>
        <translation>Settings file</translation>
    </message>
    <message>
        <source>Apperance:</source>
        <translation>Appearance:</translation>
    </message>
    <message>
        <source>Border width</source>
        <translation>Border width</translation>
    </message>
    <message>
        <source>Border color</source>
        <translation>Border color</translation>
    </message>
    <message>
        <source>Line type</source>
        <translation>Line type</translation>
    </message>
    <message>
        <source>Mask color</source>
        <translation>Mask color</translation>
    </message>
    <message>
        <source>Params:</source>
        <translation>Params:</translation>
    </message>
    <message>
        <source>Framerate</source>
        <translation>Framerate</translation>
    </message>
    <message>
        <source>Video Output:</source>
        <translation>Video Output:</translation>
    </message>
    <message>
        <source>GIF Output:</source>
        <translation>GIF Output:</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Shortcuts</source>
        <translation>Shortcuts</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Pin</translation>
    </message>
    <message>
        <source>Video recording</source>
        <translation>Video recording</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>check update</source>
        <translation>check update</translation>
    </message>
    <message>
        <source>Home Web:</source>
        <translation>Home Web:</translation>
    </message>
    <message>
        <source>QQ Group:</source>
        <translation>QQ Group:</translation>
    </message>
    <message>
        <source>Join the Klipora community</source>
        <translation>Join the Klipora community</translation>
    </message>
    <message>
        <source>Copyright © 2024-2026 The Klipora developers. All rights reserved.</source>
        <translation>Copyright © 2024-2026 The Klipora developers. All rights reserved.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Select Path...</source>
        <translation>Select Path...</translation>
    </message>
    <message>
        <source>update tips</source>
        <translation>update tips</translation>
    </message>
    <message>
        <source>No need to update the current version!</source>
        <translation>No need to update the current version!</translation>
    </message>
    <message>
        <source>Scrolling screenshot</source>
        <translation>Scrolling screenshot</translation>
    </message>
    <message>
        <source>Longest scrolling screenshot</source>
        <translation>Longest scrolling screenshot</translation>
    </message>
    <message>
        <source> px</source>
        <translation> px</translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Sound source</source>
        <translation>Sound source</translation>
    </message>
    <message>
        <source>Default input</source>
        <translation>Default input</translation>
    </message>
    <message>
        <source>%1 (not available)</source>
        <translation>%1 (not available)</translation>
    </message>
    <message>
        <source>NoPen</source>
        <translation>No line</translation>
    </message>
    <message>
        <source>SolidLine</source>
        <translation>Solid line</translation>
    </message>
    <message>
        <source>DashLine</source>
        <translation>Dashed line</translation>
    </message>
    <message>
        <source>DotLine</source>
        <translation>Dotted line</translation>
    </message>
    <message>
        <source>DashDotLine</source>
        <translation>Dash-dot line</translation>
    </message>
    <message>
        <source>DashDotDotLine</source>
        <translation>Dash-dot-dot line</translation>
    </message>
    <message>
        <source>CustomDashLine</source>
        <translation>Custom dashes</translation>
    </message>
    <message>
        <source>The compositor binds global keys. Add these lines to the sway configuration and reload it:</source>
        <translation>The compositor binds global keys. Add these lines to the sway configuration and reload it:</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>GNOME binds global keys. Choose the combinations below, then add them to GNOME&apos;s keyboard shortcuts; your other shortcuts stay as they are.</source>
        <translation>GNOME binds global keys. Choose the combinations below, then add them to GNOME&apos;s keyboard shortcuts; your other shortcuts stay as they are.</translation>
    </message>
    <message>
        <source>Add to GNOME keyboard shortcuts</source>
        <translation>Add to GNOME keyboard shortcuts</translation>
    </message>
    <message>
        <source>Writing the shortcuts...</source>
        <translation>Writing the shortcuts...</translation>
    </message>
    <message>
        <source>The shortcuts could not be added: %1</source>
        <translation>The shortcuts could not be added: %1</translation>
    </message>
</context>
<context>
    <name>VideoJob</name>
    <message>
        <source>Recording failed: %1</source>
        <translation>Recording failed: %1</translation>
    </message>
    <message>
        <source>ffmpeg is still finishing the previous file. Try again in a moment.</source>
        <translation>ffmpeg is still finishing the previous file. Try again in a moment.</translation>
    </message>
    <message>
        <source>the folder %1 cannot be created or written.</source>
        <translation>the folder %1 cannot be created or written.</translation>
    </message>
    <message>
        <source>The recording was too short to hold a frame; nothing was saved.</source>
        <translation>The recording was too short to hold a frame; nothing was saved.</translation>
    </message>
    <message>
        <source>%1 already exists.</source>
        <translation>%1 already exists.</translation>
    </message>
    <message>
        <source>ffmpeg ended without finishing the file.</source>
        <translation>ffmpeg ended without finishing the file.</translation>
    </message>
    <message>
        <source>The sound source %1 cannot be recorded; recording without sound.</source>
        <translation>The sound source %1 cannot be recorded; recording without sound.</translation>
    </message>
    <message>
        <source>Recording failed: %1 The file %2 may be unplayable.</source>
        <translation>Recording failed: %1 The file %2 may be unplayable.</translation>
    </message>
</context>
</TS>
