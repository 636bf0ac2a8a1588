'use strict';

// The page's address: ?debug turns the trace on and x= holds the lines to
// type, so that a link opens the page in the same mode and types the same
// lines again.
const ostrilumeAddress = (() => {
    // Read by hand: URLSearchParams takes a + for a space, as forms write
    // one, but a link written as x=2+3 means 2+3.
    function parameters(query) {
        const found = new Map();
        for (const part of query.replace(/^\?/, '').split('&')) {
            const equals = part.includes('=') ? part.indexOf('=') : part.length;
            const name = decodeComponent(part.slice(0, equals));
            if (name !== '' && !found.has(name)) found.set(name, decodeComponent(part.slice(equals + 1)));
        }
        return found;
    }

    function decodeComponent(text) {
        try {
            return decodeURIComponent(text);
        } catch {
            return text;
        }
    }

    function of(lines, debug) {
        const parts = [];
        if (debug) parts.push('debug');
        if (lines.length > 0) parts.push(`x=${encodeURIComponent(lines.join('\n'))}`);
        return location.href.replace(/[?#].*$/, '') + (parts.length > 0 ? `?${parts.join('&')}` : '');
    }

    return { parameters, of };
})();
