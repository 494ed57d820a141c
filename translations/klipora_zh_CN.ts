<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
</context>
</TS>
