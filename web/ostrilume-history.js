'use strict';

// The field's own memory of this visit: the last expression back after a
// run, and the earlier ones on ArrowUp and ArrowDown.
const ostrilumeHistory = (() => {
    // After a run the field holds its expression, selected: typing replaces
    // it, Enter runs it again, and a digit is changed without typing it all
    // anew. An expression longer than anyone edits by hand is not put back,
    // since the browser lays out a field of megabytes slowly.
    const longestKept = 10000;

    function offerAgain(field, lines) {
        const last = lines.findLast((line) => line.trim() !== '');
        if (last === undefined || last.length > longestKept) return;
        remember(last);
        recalled = earlier.length - 1;
        field.value = last;
        if (document.activeElement === field) field.select();
    }

    // ArrowUp and ArrowDown go through the expressions of this visit, as a
    // shell's history does. They are kept in the page only: a school's
    // computers are shared.
    const earlier = [];
    let recalled = 0;
    let draft = '';

    function remember(line) {
        if (line.trim() === '' || line.length > longestKept) return;
        if (earlier.at(-1) !== line) earlier.push(line);
        recalled = earlier.length;
        draft = '';
    }

    function recall(field, step) {
        const next = recalled + step;
        if (next < 0 || next > earlier.length) return;
        if (recalled === earlier.length) draft = field.value;
        recalled = next;
        field.value = next === earlier.length ? draft : earlier[next];
        field.setSelectionRange(field.value.length, field.value.length);
    }

    return { remember, recall, offerAgain };
})();
