<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CJobManager</name>
    <message>
        <source>Quorvin Writing</source>
        <translation>Quorvin 写作</translation>
    </message>
</context>
</TS>
