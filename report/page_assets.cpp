//===- page_assets.cpp - Styles and script of the page --------------------===//

#include "page_assets.h"

namespace zreport {

const char *const kPageStyle = R"css(
:root { --ink: #1f2933; --muted: #616e7c; --line: #d9e2ec; --panel: #fff;
  --back: #f0f4f8; --accent: #2563eb; --error: #c81e1e; --warn: #b45309;
  --mark: #e11d74; --lines: #fff1b8; }
* { box-sizing: border-box; }
html { scroll-padding-top: 64px; }
body { margin: 0; color: var(--ink); background: var(--back);
  font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, sans-serif; }
code { font-family: ui-monospace, "DejaVu Sans Mono", Menlo, monospace;
  font-size: 12.5px; }
header.top { position: sticky; top: 0; z-index: 10; display: flex;
  flex-wrap: wrap; align-items: baseline; gap: 8px 20px; padding: 10px 20px;
  background: #102a43; color: #f0f4f8; box-shadow: 0 1px 3px rgba(0,0,0,.25); }
header.top h1 { margin: 0; font-size: 19px; font-weight: 600; }
header.top .file { color: #9fb3c8; font-size: 13px; overflow-wrap: anywhere; }
header.top .summary { margin-left: auto; display: flex; gap: 14px; }
header.top .count { color: #d9e2ec; }
.layout { display: flex; align-items: flex-start; }
nav { position: sticky; top: 46px; flex: 0 0 230px; max-height: calc(100vh - 46px);
  overflow: auto; padding: 14px 12px 24px; background: var(--panel);
  border-right: 1px solid var(--line); font-size: 13px; }
nav a { color: var(--ink); text-decoration: none; }
nav a:hover { color: var(--accent); }
nav .nav-model { display: block; font-weight: 600; margin-bottom: 8px; }
nav .nav-unit { margin-top: 10px; font-weight: 600; color: var(--muted);
  overflow-wrap: anywhere; }
nav ul { list-style: none; margin: 2px 0 0; padding: 0 0 0 10px; }
nav li a { display: flex; justify-content: space-between; gap: 6px;
  padding: 2px 4px; border-radius: 3px; overflow-wrap: anywhere; }
nav li a:hover { background: var(--back); }
nav .dot { flex: none; min-width: 18px; padding: 0 5px; border-radius: 9px;
  background: var(--error); color: #fff; font-size: 11px; text-align: center; }
main { flex: 1; min-width: 0; padding: 18px 24px 40vh; }
h2.unit { margin: 28px 0 10px; font-size: 17px; font-weight: 600; }
.kind { color: var(--muted); font-weight: 400; font-size: 13px; }
section.model, section.proc { margin: 0 0 20px; padding: 12px 16px 14px;
  background: var(--panel); border: 1px solid var(--line); border-radius: 6px; }
section.model h2 { margin: 0 0 8px; font-size: 16px; }
section.model h3 { margin: 10px 0 6px; font-size: 14px; }
section.proc h3 { display: flex; flex-wrap: wrap; align-items: baseline;
  gap: 6px 10px; margin: 0 0 10px; font-size: 15px; font-weight: 600; }
section.proc h3 .kel-name { margin-left: auto; color: var(--muted);
  font-weight: 400; font-size: 12.5px; }
section.proc.zeva-highlight { outline: 3px solid var(--mark);
  outline-offset: 2px; }
.badge { padding: 1px 8px; border-radius: 10px; font-size: 12px;
  font-weight: 500; color: #fff; }
.badge.error { background: var(--error); }
.badge.warning { background: var(--warn); }
.note { margin: 6px 0; color: var(--muted); font-style: italic; }
.ok { margin: 6px 0; color: #1f7a4d; }
.panes { display: flex; gap: 14px; align-items: stretch; }
.diagram, .listing { min-width: 0; max-height: 78vh; overflow: auto;
  border: 1px solid #e4e7eb; border-radius: 4px; }
.diagram { flex: 1 1 55%; padding: 8px; background: #fff; text-align: center; }
.diagram svg { max-width: 100%; height: auto; overflow: visible; }
/* Fonts with the widths the layout measured text by, where installed. */
.diagram svg text[font-family^="Helvetica"] {
  font-family: "Liberation Sans", Arial, Helvetica,
  "Nimbus Sans", sans-serif; }
.listing { position: relative; flex: 1 1 45%; padding: 6px 0;
  background: #f8fafc; counter-reset: line;
  font: 12.5px/1.5 ui-monospace, "DejaVu Sans Mono", Menlo, monospace; }
.listing .l { white-space: pre; padding-right: 12px; }
.listing .l::before { counter-increment: line; content: counter(line);
  display: inline-block; width: 3.2em; margin-right: 1em; padding-right: .6em;
  text-align: right; color: #9aa5b1; border-right: 1px solid #e4e7eb;
  user-select: none; }
.listing .k.zeva-lines { background: var(--lines);
  box-shadow: inset 3px 0 0 #f0b400; }
.listing > .note { padding: 0 12px; font-family: system-ui, sans-serif; }
details.kel-head { margin: 0 0 12px; }
details.kel-head summary { cursor: pointer; color: var(--muted); }
details.kel-head .listing { max-height: 50vh; margin-top: 6px; }
ul.msgs { list-style: none; margin: 12px 0 0; padding: 0; }
ul.msgs li { margin: 4px 0; }
.msg { display: flex; flex-wrap: wrap; align-items: baseline; gap: 4px 10px;
  padding: 5px 10px; border-left: 4px solid var(--error); border-radius: 3px;
  background: #fdf2f2; color: var(--ink); text-decoration: none; }
li.warning .msg { border-left-color: var(--warn); background: #fff8eb; }
a.msg:hover { filter: brightness(.97); }
a.msg.active { box-shadow: 0 0 0 2px var(--mark); }
.msg .sev { font-size: 11px; font-weight: 700; text-transform: uppercase;
  letter-spacing: .04em; color: var(--error); }
li.warning .msg .sev { color: var(--warn); }
.msg .where { color: var(--muted); font-size: 12.5px; overflow-wrap: anywhere; }
svg g.zeva { cursor: pointer; }
svg g.zeva:hover > polygon, svg g.zeva:hover > ellipse,
svg g.zeva:hover > path { stroke: var(--accent); }
svg g.zeva.zeva-highlight polygon, svg g.zeva.zeva-highlight ellipse,
svg g.zeva.zeva-highlight path, svg g.zeva.zeva-highlight polyline,
svg g.zeva.zeva-highlight rect { stroke: var(--mark); stroke-width: 4px; }
svg g.zeva-highlight { filter: drop-shadow(0 0 3px rgba(225, 29, 116, .7)); }
@media (max-width: 1100px) {
  .panes { flex-direction: column; }
  .diagram, .listing { flex: none; max-height: 70vh; }
}
@media (max-width: 760px) {
  nav { display: none; }
  main { padding: 12px; }
}
)css";

const char *const kPageScript = R"js(
(function () {
  'use strict';
  var marked = null, activeMessage = null, lines = [];

  function mark(el) {
    if (marked) marked.classList.remove('zeva-highlight');
    marked = el;
    if (el) el.classList.add('zeva-highlight');
  }

  // The listing lines of the commands compiled from element `id`.
  function showLines(section, id) {
    lines.forEach(function (k) { k.classList.remove('zeva-lines'); });
    lines = section ? Array.prototype.slice.call(
        section.querySelectorAll('.listing .k[data-src~="' + id + '"]')) : [];
    lines.forEach(function (k) { k.classList.add('zeva-lines'); });
    if (!lines.length) return;
    var pane = lines[0].closest('.listing');
    var top = lines[0].offsetTop;
    var height = lines[lines.length - 1].offsetTop +
        lines[lines.length - 1].offsetHeight - top;
    pane.scrollTop = Math.max(0, top - Math.max(16, (pane.clientHeight - height) / 2));
    var box = pane.getBoundingClientRect();
    if (box.bottom > window.innerHeight || box.top < 0)
      pane.scrollIntoView({block: 'nearest'});
  }

  function openMessage(link) {
    if (activeMessage) activeMessage.classList.remove('active');
    activeMessage = link;
    link.classList.add('active');
    var section = link.dataset.sec ? document.getElementById(link.dataset.sec) : null;
    var el = section && link.dataset.el ?
        section.querySelector('svg [id="z' + link.dataset.el + '"]') : null;
    var target = el || section;
    mark(target);
    if (el) showLines(section, link.dataset.el);
    if (target) target.scrollIntoView({block: 'center', inline: 'center'});
  }

  document.addEventListener('click', function (event) {
    var link = event.target.closest('a.msg');
    if (link) {
      event.preventDefault();
      openMessage(link);
      return;
    }
    var g = event.target.closest('svg g.zeva');
    if (g && g.id.charAt(0) === 'z') {
      mark(g);
      showLines(g.closest('section.proc'), g.id.slice(1));
    }
  });
})();
)js";

} // namespace zreport
