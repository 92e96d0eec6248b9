#!/usr/bin/python3
"""Turns the help page's Markdown into the HTML page shipped beside the program.

Usage: help-html.py SOURCE.md OUTPUT.html
Needs Debian's python3-markdown (scripts/deps.sh installs it).
"""
import html
import sys

import markdown


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: help-html.py SOURCE.md OUTPUT.html")
    with open(sys.argv[1], encoding="utf-8") as f:
        text = f.read()
    body = markdown.markdown(text, extensions=["tables"], output_format="html")
    # The first heading is the page's title.
    title = next((line[2:].strip() for line in text.splitlines() if line.startswith("# ")), "Help")
    page = f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{html.escape(title)}</title>
<style>
body {{ font-family: "Segoe UI", Tahoma, sans-serif; max-width: 46em; margin: 1em auto; padding: 0 1em; line-height: 1.4; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #aaa; padding: 0.2em 0.6em; text-align: left; }}
code, pre {{ background: #f2f2f2; }}
pre {{ padding: 0.5em; }}
</style>
</head>
<body>
{body}
</body>
</html>
"""
    with open(sys.argv[2], "w", encoding="utf-8", newline="\r\n") as f:
        f.write(page)


if __name__ == "__main__":
    main()
