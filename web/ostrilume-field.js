'use strict';

// What the field holds: the line being typed, the last expression back after
// a run, the earlier ones of this visit on ArrowUp and ArrowDown, and a paste
// too long to edit by hand, which is kept beside the field.
const ostrilumeField = (() => {
    const field = document.getElementById('expression');
    const status = document.getElementById('status');

    // Past this many characters an expression is not edited by hand, and a
    // browser lays a field of it out slowly: a pasted 20 MB took a field
    // seconds and a gigabyte of memory, kept after the field was emptied.
    // Such a paste is held here; the field stays empty and says how long it
    // is, Laske runs it, and typing lets it go.
    const longestInField = 10000;
    let held = null;

    field.addEventListener('paste', (event) => {
        const pasted = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
        if (pasted.length <= longestInField) return;
        event.preventDefault();
        // As a text field does, the line breaks of a paste go.
        const line = field.value.slice(0, field.selectionStart) + pasted.replace(/[\r\n]/g, '')
            + field.value.slice(field.selectionEnd);
        field.value = '';
        hold(line);
    });

    field.addEventListener('input', () => hold(null));

    function hold(line) {
        held = line;
        field.placeholder = line === null ? '' : `Liitetty lauseke, ${line.length.toLocaleString('fi')} merkkiä`;
        if (line !== null) status.textContent = 'Liitetty lauseke on pitkä, joten kenttä ei näytä sitä. Paina Laske.';
    }

    // The line to run; the field is left empty.
    function take() {
        const line = held ?? field.value;
        hold(null);
        field.value = '';
        return line;
    }

    function isEmpty() {
        return held === null && field.value === '';
    }

    // After a run the field holds its expression, selected: typing replaces
    // it, Enter runs it again, and a digit is changed without typing it all
    // anew.
    function offerAgain(lines) {
        const last = lines.findLast((line) => line.trim() !== '');
        if (last === undefined || last.length > longestInField) return;
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
        if (line.trim() === '' || line.length > longestInField) return;
        if (earlier.at(-1) !== line) earlier.push(line);
        recalled = earlier.length;
        draft = '';
    }

    function recall(step) {
        const next = recalled + step;
        if (next < 0 || next > earlier.length) return;
        if (recalled === earlier.length) draft = field.value;
        hold(null);
        recalled = next;
        field.value = next === earlier.length ? draft : earlier[next];
        field.setSelectionRange(field.value.length, field.value.length);
    }

    return { take, isEmpty, remember, recall, offerAgain };
})();
