<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Version check - TOL Video Tools</title><style>body{font-family:sans-serif;max-width:52em;margin:2em auto;line-height:1.4}img{max-width:100%;border:1px solid #ccc}</style></head>
<body>
<h1 id="START">Version check</h1>
<p>You have version 0.9m, the version these pages came with. Newer versions of the TOL Video Tools come with the suite's source:
build and install it again (see the README) to update.</p>
</body></html>
