// The core's code is compiled as it arrives, while the page is still read, rather than from the whole
// file once the page's scripts run. A server that does not name it application/wasm still serves it:
// then it is compiled whole.
"use strict";

window.panelCode = WebAssembly.compileStreaming(fetch("panel.wasm"))
  .catch(() => fetch("panel.wasm").then((response) => response.arrayBuffer()).then(WebAssembly.compile));
