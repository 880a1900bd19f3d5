// The page's side of the web backend (platform/web_platform.cpp): the canvas, the keys,
// the mouse, game controllers, the clock, the waits and the browser's storage. The game
// takes everything through the functions below; the page (index.html) gives the elements:
// a canvas with the id "screen" inside an element with the id "stage".

mergeInto(LibraryManager.library, {
  $WebPage: {
    // Event kinds as web_platform.cpp reads them.
    KeyDown: 1, KeyUp: 2, RightButton: 3, Close: 4, Quit: 5,
    PadDown: 6, PadUp: 7, PadAdded: 8, PadRemoved: 9,
    WIDTH: 640, HEIGHT: 480,

    queue: [],
    keys: null,            // KeyboardEvent.code -> virtual-key code, for the game's keys
    held: null,            // Map: codes down now -> their virtual-key codes
    swallowedUp: null,     // the release of a full-screen toggle key
    canvas: null, context: null, image: null,
    picture: 0,            // where the newest picture is (RGBA in the program's memory)
    frameRequest: 0,
    shownPictures: 0,
    listeners: [],

    origin: 0,             // performance.now() at the clock's zero
    hiddenSince: -1,       // when the tab was hidden, -1 while it is shown
    hiddenTotal: 0,        // the time the tab spent hidden: the clock does not count it
    wake: null,            // ends the wait in progress
    deadline: 0,           // the wait's end on the game's clock
    timer: 0,
    channel: null,         // a message to it wakes the game without a timer's clamping
    dropped: [],           // paths of replays dropped onto the page

    now: function() {
      var real = WebPage.hiddenSince >= 0 ? WebPage.hiddenSince : performance.now();
      return real - WebPage.origin - WebPage.hiddenTotal;
    },

    // Queues an event and ends the game's wait at once: the game takes it without delay.
    push: function(kind, key, repeat, pad, button) {
      WebPage.queue.push([kind, key, repeat ? 1 : 0, pad || 0, button || 0]);
      if (WebPage.wake) WebPage.wake();
    },

    // The game goes on in a task of its own (a message): a timer set from it is never
    // clamped as timers nested in timers are.
    armTimer: function() {
      if (!WebPage.wake || WebPage.hiddenSince >= 0) return;
      var left = WebPage.deadline - WebPage.now();
      if (left <= 0) {
        WebPage.channel.port2.postMessage(0);
        return;
      }
      WebPage.timer = setTimeout(function() {
        WebPage.timer = 0;
        WebPage.channel.port2.postMessage(0);
      }, left);
    },

    sleep: function(deadline) {
      return Asyncify.handleSleep(function(wakeUp) {
        WebPage.deadline = deadline;
        WebPage.wake = function() {
          if (WebPage.timer) clearTimeout(WebPage.timer);
          WebPage.timer = 0;
          WebPage.wake = null;
          wakeUp();
        };
        WebPage.armTimer();
      });
    },

    releaseHeldKeys: function() {
      if (!WebPage.held) return;
      var held = Array.from(WebPage.held.values());
      WebPage.held.clear();
      for (var i = 0; i < held.length; ++i) WebPage.push(WebPage.KeyUp, held[i], false);
    },

    onKey: function(event, down) {
      if (down && (event.code === 'F11' ||
                   (event.altKey && (event.code === 'Enter' || event.code === 'NumpadEnter')))) {
        event.preventDefault();
        if (!event.repeat) WebPage.toggleFullScreen();
        WebPage.swallowedUp = event.code;
        return;
      }
      if (!down && event.code === WebPage.swallowedUp) {
        WebPage.swallowedUp = null;
        event.preventDefault();
        return;
      }
      var key = WebPage.keys.get(event.code);
      if (key === undefined) return;  // a key the game does not use stays the browser's
      event.preventDefault();
      if (down) {
        WebPage.held.set(event.code, key);
      } else if (!WebPage.held.delete(event.code)) {
        return;  // its press went elsewhere (the tab was left with it held)
      }
      WebPage.push(down ? WebPage.KeyDown : WebPage.KeyUp, key, down && event.repeat);
    },

    onVisibility: function() {
      if (document.hidden) {
        if (WebPage.hiddenSince < 0) WebPage.hiddenSince = performance.now();
        WebPage.releaseHeldKeys();
        return;
      }
      if (WebPage.hiddenSince >= 0) {
        WebPage.hiddenTotal += performance.now() - WebPage.hiddenSince;
        WebPage.hiddenSince = -1;
      }
      WebPage.armTimer();
    },

    toggleFullScreen: function() {
      var stage = document.getElementById('stage') || WebPage.canvas;
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else if (stage.requestFullscreen) {
        stage.requestFullscreen().catch(function() {});
      }
    },

    // The largest whole number of device pixels per page pixel that fits the room the page
    // gives the canvas, at least 1: square, crisp pixels.
    fit: function() {
      var canvas = WebPage.canvas;
      if (!canvas) return;
      var room = canvas.parentElement.getBoundingClientRect();
      var ratio = window.devicePixelRatio || 1;
      var scale = Math.max(1, Math.floor(Math.min(room.width * ratio / WebPage.WIDTH,
                                                   room.height * ratio / WebPage.HEIGHT)));
      canvas.style.width = (WebPage.WIDTH * scale / ratio) + 'px';
      canvas.style.height = (WebPage.HEIGHT * scale / ratio) + 'px';
    },

    draw: function() {
      WebPage.frameRequest = 0;
      if (!WebPage.context || !WebPage.picture) return;
      var bytes = WebPage.WIDTH * WebPage.HEIGHT * 4;
      WebPage.image.data.set(new Uint8ClampedArray(HEAPU8.buffer, WebPage.picture, bytes));
      WebPage.context.putImageData(WebPage.image, 0, 0);
      WebPage.shownPictures += 1;
      if (Module['onPictureShown']) Module['onPictureShown'](WebPage.shownPictures);
    },

    listen: function(target, type, handler, options) {
      target.addEventListener(type, handler, options);
      WebPage.listeners.push([target, type, handler, options]);
    },

    // A replay dropped onto the page: copied into a folder of its own, and the program
    // running is ended (as closing its window would) so that the page plays it.
    onDrop: function(event) {
      event.preventDefault();
      var file = event.dataTransfer && event.dataTransfer.files[0];
      if (!file) return;
      file.arrayBuffer().then(function(data) {
        var folder = '/dropped';
        try { FS.mkdir(folder); } catch (e) {}
        var path = folder + '/' + file.name.replace(/[^A-Za-z0-9._-]/g, '_');
        FS.writeFile(path, new Uint8Array(data));
        WebPage.dropped.push(path);
        WebPage.push(WebPage.Quit, 0, false);
      });
    },
  },

  web_open__deps: ['$WebPage'],
  web_open: function(keyTable) {
    var canvas = document.getElementById('screen');
    var context = canvas && canvas.getContext('2d', {alpha: false});
    if (!context) return 0;
    WebPage.canvas = canvas;
    WebPage.context = context;
    WebPage.image = context.createImageData(WebPage.WIDTH, WebPage.HEIGHT);
    canvas.width = WebPage.WIDTH;
    canvas.height = WebPage.HEIGHT;
    context.fillStyle = '#000';
    context.fillRect(0, 0, WebPage.WIDTH, WebPage.HEIGHT);
    WebPage.keys = new Map();
    WebPage.held = new Map();
    UTF8ToString(keyTable).split('\n').forEach(function(line) {
      var pair = line.split(' ');
      if (pair.length === 2) WebPage.keys.set(pair[0], Number(pair[1]));
    });
    if (!WebPage.channel) {
      WebPage.channel = new MessageChannel();
      WebPage.channel.port1.onmessage = function() { if (WebPage.wake) WebPage.wake(); };
    }
    if (!WebPage.origin) WebPage.origin = performance.now();
    WebPage.listen(window, 'keydown', function(e) { WebPage.onKey(e, true); });
    WebPage.listen(window, 'keyup', function(e) { WebPage.onKey(e, false); });
    WebPage.listen(window, 'blur', WebPage.releaseHeldKeys);
    WebPage.listen(document, 'visibilitychange', WebPage.onVisibility);
    WebPage.listen(window, 'pagehide', function() { WebPage.push(WebPage.Close, 0, false); });
    WebPage.listen(canvas, 'mousedown', function(e) {
      if (e.button === 2) WebPage.push(WebPage.RightButton, 0, false);
    });
    WebPage.listen(canvas, 'contextmenu', function(e) { e.preventDefault(); });
    WebPage.listen(window, 'resize', WebPage.fit);
    WebPage.listen(document, 'fullscreenchange', WebPage.fit);
    WebPage.listen(document, 'dragover', function(e) { e.preventDefault(); });
    WebPage.listen(document, 'drop', WebPage.onDrop);
    var button = document.getElementById('full-screen');
    if (button) WebPage.listen(button, 'click', WebPage.toggleFullScreen);
    WebPage.fit();
    WebPage.onVisibility();
    return 1;
  },

  web_close__deps: ['$WebPage'],
  web_close: function() {
    WebPage.listeners.forEach(function(l) { l[0].removeEventListener(l[1], l[2], l[3]); });
    WebPage.listeners = [];
    if (WebPage.frameRequest) cancelAnimationFrame(WebPage.frameRequest);
    WebPage.frameRequest = 0;
    WebPage.picture = 0;
    if (WebPage.context) {
      WebPage.context.fillStyle = '#000';
      WebPage.context.fillRect(0, 0, WebPage.WIDTH, WebPage.HEIGHT);
    }
    WebPage.context = null;
  },

  web_take_event__deps: ['$WebPage'],
  web_take_event: function(out) {
    var event = WebPage.queue.shift();
    if (!event) return 0;
    for (var i = 0; i < 5; ++i) HEAP32[(out >> 2) + i] = event[i];
    return 1;
  },

  web_now__deps: ['$WebPage'],
  web_now: function() { return WebPage.now(); },

  web_wait__deps: ['$WebPage'],
  // The game looked at the queue just before: nothing can have come since (the page's
  // events are handled only while the game waits).
  web_wait: function(deadline) { WebPage.sleep(deadline); },

  web_yield__deps: ['$WebPage'],
  web_yield: function() { WebPage.sleep(WebPage.now()); },

  web_show__deps: ['$WebPage'],
  web_show: function(rgba) {
    WebPage.picture = rgba;
    if (!WebPage.frameRequest) WebPage.frameRequest = requestAnimationFrame(WebPage.draw);
  },

  web_open_storage__deps: ['$WebPage', '$FS', '$IDBFS'],
  web_open_storage: function(folder, error, errorSize) {
    var path = UTF8ToString(folder);
    return Asyncify.handleSleep(function(wakeUp) {
      try {
        FS.mkdir(path);
        FS.mount(IDBFS, {}, path);
      } catch (e) {
        stringToUTF8('cannot make the folder ' + path, error, errorSize);
        wakeUp(0);
        return;
      }
      FS.syncfs(true, function(failure) {
        if (failure) stringToUTF8('the browser\'s storage cannot be read: ' + failure, error, errorSize);
        wakeUp(failure ? 0 : 1);
      });
    });
  },

  web_store_files__deps: ['$WebPage', '$FS'],
  web_store_files: function(error, errorSize) {
    return Asyncify.handleSleep(function(wakeUp) {
      FS.syncfs(false, function(failure) {
        if (failure) stringToUTF8('the browser\'s storage refused it: ' + failure, error, errorSize);
        wakeUp(failure ? 0 : 1);
      });
    });
  },

  web_take_dropped__deps: ['$WebPage'],
  web_take_dropped: function(path, pathSize) {
    var next = WebPage.dropped.shift();
    if (!next) return 0;
    stringToUTF8(next, path, pathSize);
    return 1;
  },

  // The gamepads in the standard layout: for each, its index, its pressed buttons as bits and
  // its left stick (-32767..32767 each way).
  web_read_pads: function(out, most) {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    var count = 0;
    for (var i = 0; i < pads.length && count < most; ++i) {
      var pad = pads[i];
      if (!pad || !pad.connected || pad.mapping !== 'standard') continue;
      var pressed = 0;
      for (var b = 0; b < pad.buttons.length && b < 32; ++b) {
        if (pad.buttons[b].pressed) pressed |= 1 << b;
      }
      var at = (out >> 2) + count * 4;
      HEAP32[at] = pad.index;
      HEAP32[at + 1] = pressed;
      HEAP32[at + 2] = Math.round((pad.axes[0] || 0) * 32767);
      HEAP32[at + 3] = Math.round((pad.axes[1] || 0) * 32767);
      count += 1;
    }
    return count;
  },

  web_ended: function(status) {
    if (Module['onEnded']) Module['onEnded'](status);
  },
});
