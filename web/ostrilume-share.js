'use strict';

// The link to a run: offered after it, to open or copy, while it is short
// enough to open.
const ostrilumeShare = (() => {
    const share = document.getElementById('share');
    const link = document.getElementById('link');
    const copyButton = document.getElementById('copy');
    const linkCopy = document.getElementById('link-copy');
    const linkText = document.getElementById('link-text');
    const copied = document.getElementById('copied');
    const linkLine = document.getElementById('link-line');
    const tooLong = document.getElementById('too-long');

    // Past about 8,000 bytes a link no longer opens: browsers and servers
    // refuse longer addresses.
    const longestLink = 8000;

    // A character takes at least a byte of a link, so longer lines are not
    // even encoded: for an expression of megabytes that took most of a
    // second.
    function offer(lines, debug) {
        const short = lines.reduce((sum, line) => sum + line.length, 0) <= longestLink;
        const address = short ? ostrilumeAddress.of(lines, debug) : '';
        const shareable = short && new TextEncoder().encode(address).length <= longestLink;
        linkLine.hidden = !shareable;
        tooLong.hidden = shareable;
        link.href = shareable ? address : './';
        linkText.value = shareable ? address : '';
        linkCopy.hidden = true;
        copied.textContent = '';
        share.hidden = false;
    }

    // The clipboard interface exists only where the page is served securely
    // (https, or this machine); elsewhere, as on a school's own http server,
    // the link is shown selected for the reader to copy.
    copyButton.addEventListener('click', () => {
        if (!navigator.clipboard || !window.isSecureContext) {
            offerLinkToCopy();
            return;
        }
        navigator.clipboard.writeText(link.href).then(() => {
            copied.textContent = 'Kopioitu.';
        }, offerLinkToCopy);
    });

    function offerLinkToCopy() {
        linkCopy.hidden = false;
        linkText.focus();
        linkText.select();
    }

    function hide() {
        share.hidden = true;
    }

    return { offer, hide };
})();
